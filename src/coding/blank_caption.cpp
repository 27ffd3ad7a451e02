#include "coding/blank_caption.h"

#include <QPainter>
#include <QRegularExpression>
#include <algorithm>

namespace mfd::coding {

BlankCaption::BlankCaption(const QString &caption, QWidget *control, QWidget *parent)
    : QLabel(caption, parent), control_(control)
{
    qsizetype at = caption.size(), length = 0;
    const QRegularExpression run(QStringLiteral(" {2,}"));
    for (auto it = run.globalMatch(caption); it.hasNext();) {
        const auto m = it.next();
        if (m.capturedLength() >= length) {
            at = m.capturedStart();
            length = m.capturedLength();
        }
    }
    before_ = caption.left(at);
    after_ = caption.mid(at + length);
    blanks_ = int(length);
    control_->setParent(this);
}

int BlankCaption::gapWidth() const
{
    const QFontMetrics fm(font());
    const int space = fm.horizontalAdvance(QLatin1Char(' '));
    return std::max(fm.horizontalAdvance(QString(blanks_, QLatin1Char(' '))),
                    control_->sizeHint().width() + 2 * space);
}

QSize BlankCaption::sizeHint() const
{
    const QFontMetrics fm(font());
    const int width = fm.horizontalAdvance(before_) + gapWidth() + fm.horizontalAdvance(after_);
    return {width, std::max(fm.height(), control_->sizeHint().height())};
}

void BlankCaption::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    const QFontMetrics fm(font());
    const int space = fm.horizontalAdvance(QLatin1Char(' '));
    const int h = control_->sizeHint().height();
    control_->setGeometry(fm.horizontalAdvance(before_) + space, (height() - h) / 2, gapWidth() - 2 * space, h);
}

void BlankCaption::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QFontMetrics fm(font());
    const QRect r = rect();
    p.setPen(palette().color(foregroundRole()));
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, before_);
    p.drawText(r.adjusted(fm.horizontalAdvance(before_) + gapWidth(), 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               after_);
}

} // namespace mfd::coding
