#include "SplashScreen.h"

#include <QBitmap>
#include <QTimer>

SplashScreen::SplashScreen(const QPixmap& image)
    : QSplashScreen(image, Qt::WindowStaysOnTopHint), m_timer(new QTimer(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    if (image.hasAlpha())
        setMask(image.mask());
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &SplashScreen::finishSplash);
    m_timer->start(kShowMilliseconds);
    show();
}

SplashScreen::~SplashScreen() = default;

void SplashScreen::finishSplash()
{
    close();
}
