#pragma once
// "Firmware load": four rows of path field, picker and "Send". The unit's firmware transfer has
// no step in the driver, so the window keeps this page disabled; a "Send" only leaves its request.

#include <QWidget>
#include <cstdint>

class QLineEdit;
class QPushButton;

namespace mfd {

struct Slots;

class FirmwarePage : public QWidget {
    Q_OBJECT
public:
    // window owns the open-file dialog the image page shares.
    FirmwarePage(Slots &rq, QWidget *window, QWidget *parent = nullptr);

    // Target of the last "Send" (164, 166, 167 or 165 by row); read by no step yet.
    std::uint8_t FirmwareTarget = 0;

    // Pickers.
    void BitBtn1Click() { pick(0); }
    void BitBtn3Click() { pick(1); }
    void BitBtn5Click() { pick(2); }
    void BitBtn7Click() { pick(3); }
    // "Send".
    void BitBtn2Click() { send(0); }
    void BitBtn4Click() { send(1); }
    void BitBtn6Click() { send(2); }
    void BitBtn8Click() { send(3); }

private:
    void pick(int row);
    void send(int row);

    struct Row {
        QLineEdit *field = nullptr;
        QPushButton *picker = nullptr;
        QPushButton *send = nullptr;
    };
    Slots &rq_;
    QWidget *window_;
    Row rows_[4];
};

} // namespace mfd
