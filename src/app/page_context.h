#pragma once
// What a page needs to leave requests for the driver and to register the steps of its states.

#include "session/driver_view.h"
#include "session/session_driver.h"
#include "session/slots.h"

#include <QWidget>

namespace mfd {

struct PageContext {
    Slots &requests;
    SessionDriver &driver;
    DriverView &view;
    QWidget *window;
};

// Each subsystem builds its pages; the window names them, orders them and gives them their Tags.
QWidget *createConfigPage(PageContext &ctx);                     // coding:   "Config"
QWidget *createGammaPages(PageContext &ctx);                     // coding:   inner pages of "Screen Setup"
QWidget *createExtraCodingPage(PageContext &ctx);                // coding:   "Extra Coding"
QWidget *createTransmissionPage(PageContext &ctx);               // coding:   "Transmission"
QWidget *createScreenSetupPage(PageContext &ctx, QWidget *gamma); // service: "Screen Setup"
QWidget *createKeysPage(PageContext &ctx);                       // service:  "Keys emul"
QWidget *createSdPage(PageContext &ctx);                         // transfer: "ver.7.5 SD File Manager"
QWidget *createImagePage(PageContext &ctx);                      // transfer: "ver.7.6-7.7 Disk Image Loader"
QWidget *createFirmwarePage(PageContext &ctx);                   // transfer: "Firmware load"

} // namespace mfd
