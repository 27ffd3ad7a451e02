#pragma once
// A caption whose run of blanks holds a control, the way the unit's forms lay out "9. Battery
// calibration    /" and "km/h    %": the caption keeps its exact text (for readers and tests)
// while the gap widens to whatever the control needs in the current font.

#include <QLabel>

namespace mfd::coding {

class BlankCaption : public QLabel {
public:
    // The control is placed in the caption's widest run of blanks and becomes its child.
    BlankCaption(const QString &caption, QWidget *control, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int gapWidth() const;

    QWidget *control_;
    QString before_;
    QString after_;
    int blanks_ = 0;
};

} // namespace mfd::coding
