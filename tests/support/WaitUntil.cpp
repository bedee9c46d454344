#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "TestEnv.h"

namespace testenv {

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds) return false;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);  // wakes to look again
        loop.exec();
    }
    return true;
}

}  // namespace testenv
