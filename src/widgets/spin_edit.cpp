#include "widgets/spin_edit.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>
#include <limits>

namespace mfd {

SpinEdit::SpinEdit(QWidget *parent) : QAbstractSpinBox(parent)
{
    // The base class keeps no value of its own here; with tracking off it does not try to
    // interpret keystrokes, and the text alone carries the value.
    setKeyboardTracking(false);
    lineEdit()->setText(QString::number(min_));
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        update(); // the spin buttons' enabled state follows the text
        emit changed();
    });
}

std::optional<int> SpinEdit::parse(QStringView text)
{
    text = text.trimmed();
    const bool negative = text.startsWith(u'-');
    if (negative)
        text = text.mid(1);
    if (text.isEmpty())
        return std::nullopt;
    long long v = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        v = v * 10 + (c.unicode() - u'0');
        if (v > -static_cast<long long>(std::numeric_limits<int>::min()))
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(v);
}

int SpinEdit::value() const
{
    return parse(lineEdit()->text()).value_or(min_);
}

int SpinEdit::bounded(long long v) const
{
    return static_cast<int>(std::clamp<long long>(v, min_, max_));
}

void SpinEdit::setRange(int minimum, int maximum)
{
    min_ = minimum;
    max_ = std::max(minimum, maximum);
    updateGeometry();
    if (const auto v = parse(lineEdit()->text()); v && (*v < min_ || *v > max_))
        setValue(*v);
    update();
}

void SpinEdit::setText(const QString &text)
{
    lineEdit()->setText(text);
}

void SpinEdit::setValue(int value)
{
    // QLineEdit raises no textChanged when the text stays the same.
    lineEdit()->setText(QString::number(bounded(value)));
}

QValidator::State SpinEdit::validate(QString &, int &) const
{
    return QValidator::Acceptable; // anything may be typed; the range applies on focus loss
}

void SpinEdit::fixup(QString &) const {}

void SpinEdit::stepBy(int steps)
{
    setValue(bounded(static_cast<long long>(value()) + static_cast<long long>(steps) * step_));
    if (style()->styleHint(QStyle::SH_SpinBox_SelectOnStep, nullptr, this))
        selectAll();
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    // A step is offered where it would change the text, so an out-of-range number can always be
    // stepped back into range.
    const QString shown = lineEdit()->text();
    const long long v = value();
    StepEnabled enabled = StepNone;
    if (QString::number(bounded(v + step_)) != shown)
        enabled |= StepUpEnabled;
    if (QString::number(bounded(v - step_)) != shown)
        enabled |= StepDownEnabled;
    return enabled;
}

void SpinEdit::focusOutEvent(QFocusEvent *event)
{
    // A context menu or a switch to another window does not end the entry; moving to another
    // control does, and the correction comes first so editingFinished sees the final text.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
        setValue(value());
    QAbstractSpinBox::focusOutEvent(event);
}

QSize SpinEdit::sizeHint() const
{
    // The base class knows no texts to measure; make room for the longest bound.
    QSize hint = QAbstractSpinBox::sizeHint();
    const QFontMetrics fm(fontMetrics());
    hint.rwidth() += std::max(fm.horizontalAdvance(QString::number(min_)),
                              fm.horizontalAdvance(QString::number(max_)));
    return hint;
}

} // namespace mfd
