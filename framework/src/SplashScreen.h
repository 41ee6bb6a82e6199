#pragma once
// The start-up splash screen: stays on top, shaped by the picture's transparent
// parts, and closes (and deletes) itself 4 s after it was made.

#include <QSplashScreen>

class QTimer;

class SplashScreen : public QSplashScreen {
    Q_OBJECT

public:
    static constexpr int kShowMilliseconds = 4000;

    // Starts the timer and shows the window.
    explicit SplashScreen(const QPixmap& image);
    ~SplashScreen() override;

public slots:
    void finishSplash();

private:
    QTimer* m_timer;
};
