#include "action.h"

#include "core/error.h"
#include "data/dm.h"
#include "messages.h"

namespace simat {

namespace {

int actionsRunning = 0;

class RunningAction {
public:
    RunningAction() { ++actionsRunning; }
    ~RunningAction() { --actionsRunning; }
    RunningAction(const RunningAction &) = delete;
    RunningAction &operator=(const RunningAction &) = delete;
    bool outermost() const { return actionsRunning == 1; }
};

void reopenLostConnection()
{
    if (TDataModule1 *dm = TDataModule1::instance())
        dm->Database1.reopenIfLost();
}

} // namespace

void runAction(QWidget *owner, const std::function<void()> &body)
{
    const RunningAction running;
    try {
        if (running.outermost())
            reopenLostConnection();
        body();
    } catch (...) {
        showCurrentFailure(owner);
    }
}

void showCurrentFailure(QWidget *owner)
{
    try {
        throw;
    } catch (const Error &error) {
        if (error.engineReason().isEmpty())
            messages::error(error.text(), owner);
        else
            messages::error(error.text(), error.engineReason(), owner);
    } catch (const std::exception &error) {
        messages::error(QString::fromUtf8(error.what()), owner);
    } catch (...) {
        messages::error(QString(), owner);
    }
}

} // namespace simat
