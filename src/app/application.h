#pragma once

#include <QApplication>

namespace simat {

// The application object: Arabic, right to left, and the last net under every action: what an
// event handler lets out despite runAction() ends with an error box; the program goes on.
class SimatApplication : public QApplication {
    Q_OBJECT
public:
    SimatApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    void loadArabicTranslation();
    void useFonts();
    void useProgramWindowsInReports();
};

} // namespace simat
