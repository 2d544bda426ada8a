#include "app/SkinLight.h"

SkinLight::SkinLight(QWidget* parent)
    : QLabel(parent)
{}

void SkinLight::setLit(bool lit)
{
    if (lit == m_lit)
        return;
    m_lit = lit;
    setAttribute(Qt::WA_TransparentForMouseEvents, !lit);
    update();
}

void SkinLight::paintEvent(QPaintEvent* event)
{
    if (m_lit)
        QLabel::paintEvent(event);
}
