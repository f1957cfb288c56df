#include "action.h"

#include "core/error.h"
#include "data/dm.h"
#include "messages.h"
#include "screens.h"

#include <QAbstractItemView>
#include <QPointer>
#include <vector>

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

// Where the grids of the screens stood. Opening a lost connection again empties every grid and
// fills it anew with the same rows; each grid goes back to its row, which is what its screen
// goes by.
struct GridPlace {
    QPointer<QAbstractItemView> grid;
    int row;
    int column;
};

std::vector<GridPlace> gridPlaces()
{
    std::vector<GridPlace> places;
    for (QObject *object : screens::all())
        for (QAbstractItemView *grid : object->findChildren<QAbstractItemView *>())
            if (const QModelIndex current = grid->currentIndex(); current.isValid())
                places.push_back({grid, current.row(), current.column()});
    return places;
}

void goBackTo(const std::vector<GridPlace> &places)
{
    for (const GridPlace &place : places) {
        if (!place.grid || !place.grid->model())
            continue;
        const QModelIndex row = place.grid->model()->index(place.row, place.column);
        if (row.isValid() && row != place.grid->currentIndex())
            place.grid->setCurrentIndex(row);
    }
}

// Taken before the first try to reopen, kept while the tries fail.
std::vector<GridPlace> placesBeforeTheLoss;

void reopenLostConnection()
{
    TDataModule1 *dm = TDataModule1::instance();
    if (!dm)
        return;
    if (!dm->Database1.reopenPending())
        placesBeforeTheLoss = gridPlaces();
    dm->Database1.reopenIfLost();
    goBackTo(std::exchange(placesBeforeTheLoss, {}));
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
    } catch (const Stopped &) {
        // The user asked for it: nothing to say.
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
