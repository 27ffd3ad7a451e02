#pragma once
// "Keys emul" and "Screen Setup": one button (or check box) per one-shot command.

#include <QPixmap>
#include <QWidget>

class QCheckBox;

namespace mfd {

struct Slots;
class SpinEdit;

// The unit's keys as the stalk carries them: short press on the left, long press on the right.
class KeysPage : public QWidget {
    Q_OBJECT
public:
    explicit KeysPage(Slots &rq, QWidget *parent = nullptr);

    void Button9Click();  // "+"
    void Button10Click(); // "-"
    void Button11Click(); // "Reset"
    void Button12Click(); // "Long reset"
    void Button24Click(); // "LONG+"
    void Button23Click(); // "LONG-"

    // Where the picture draws the tip's "Reset" key, in picture coordinates; the bottom row of
    // buttons stands level with it.
    static QPoint resetKeyCentre();

private:
    Slots &rq_;
};

// Screen size adjustment and the debug commands; the gamma pages take the right half.
class ScreenSetupPage : public QWidget {
    Q_OBJECT
public:
    ScreenSetupPage(Slots &rq, QWidget *gamma, QWidget *parent = nullptr);

    void Button13Click(); // "Screen size setup"
    void Button14Click(); // "Top line" "Down"
    void Button15Click(); // "Top line" "Up"
    void Button16Click(); // "Bottom line" "Down"
    void Button17Click(); // "Bottom line" "Up"
    void Button18Click(); // "Save size"
    void Button1Click();  // "Brightness"
    void Button19Click(); // "Sleep In"
    void Button20Click(); // "Sleep Out"
    void Button21Click(); // "Doors"
    void CheckBox1Click(); // "kl 15"
    void Button29Click(); // "TurboTimer switch ON"
    void Button30Click(); // "TurboTimer switch OFF"

private:
    QWidget *buildScreenSize();
    QWidget *buildDebug();

    Slots &rq_;
    SpinEdit *brightness_ = nullptr;
    SpinEdit *doors_ = nullptr;
    QCheckBox *kl15_ = nullptr;
};

// The steering-column stalk with its "+"/"-" rocker and the "Reset" key on its tip.
QPixmap stalkPicture();

} // namespace mfd
