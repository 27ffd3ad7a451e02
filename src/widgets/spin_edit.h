#pragma once
// The bounded whole-number input the coding pages rely on.
//
// Unlike QSpinBox it never refuses or rewrites what the user types: the text is the truth, and
// value() reads it. A number outside [minimum, maximum] stays as typed until the edit loses focus
// to another control; a text that is not a number is then replaced by the minimum, so what the
// edit shows is what the pages send. Values set by the program are brought into range at once.
//
// changed() is emitted on every change of the text (keystroke, spin step, setValue/setText that
// changed it, the focus-loss correction) and never when a set leaves the text as it was. It is
// emitted synchronously and may nest: a handler may set another edit whose handler sets this one.

#include <QAbstractSpinBox>
#include <QString>
#include <QStringView>
#include <optional>

namespace mfd {

class SpinEdit : public QAbstractSpinBox {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int singleStep READ singleStep WRITE setSingleStep)
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY changed USER true)

public:
    explicit SpinEdit(QWidget *parent = nullptr);

    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int singleStep() const { return step_; }
    // A maximum below the minimum is raised to it. A shown number outside the new range is
    // brought into it; any other text is left alone.
    void setRange(int minimum, int maximum);
    void setMinimum(int minimum) { setRange(minimum, qMax(minimum, max_)); }
    void setMaximum(int maximum) { setRange(qMin(min_, maximum), maximum); }
    void setSingleStep(int step) { step_ = step; }

    // The text read as a decimal integer, not brought into range; the minimum where it is not one.
    int value() const;

    // The text as a decimal integer: optional blanks, an optional '-', decimal digits, optional
    // blanks, within 32 bits. Anything else (an empty text included) is not a number.
    static std::optional<int> parse(QStringView text);

    // Replaces the text as typed, unchecked and not brought into range.
    void setText(const QString &text);

    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    void stepBy(int steps) override;
    QSize sizeHint() const override;

public slots:
    // Brought into range at once; no change when the resulting text is the one shown.
    void setValue(int value);

signals:
    void changed();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int bounded(long long v) const;

    int min_ = 0;
    int max_ = 99;
    int step_ = 1;
};

} // namespace mfd
