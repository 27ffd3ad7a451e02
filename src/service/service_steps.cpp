#include "service/service_steps.h"

#include "session/protocol.h"
#include "session/session_driver.h"
#include "session/slots.h"
#include "session/states.h"

namespace mfd {

void registerServiceSteps(SessionDriver &driver)
{
    // The mark is taken like for every frame, though nothing here counts reply bytes: whatever
    // the unit answers stays queued until the next sending step purges it.
    driver.registerStep(state::Command, [&driver](Session &s) {
        Slots &rq = driver.requests();
        s.RxMark = sendCommand(driver.link(), rq.ReqCode);
        rq.SessionState = state::Idle;
    });
    driver.registerStep(state::CommandArg, [&driver](Session &s) {
        Slots &rq = driver.requests();
        s.RxMark = sendCommand(driver.link(), rq.ReqCode, {rq.ReqArg});
        rq.SessionState = state::Idle;
    });
}

void requestCommand(Slots &rq, std::uint8_t code) { rq.request(state::Command, code); }

void requestCommandWithArg(Slots &rq, std::uint8_t code, int value)
{
    rq.ReqArg = static_cast<std::uint8_t>(value & 0xFF);
    rq.request(state::CommandArg, code);
}

} // namespace mfd
