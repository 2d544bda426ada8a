#include "controls/CustomControl.h"

#include "controls/Guarded.h"

#include <QShowEvent>

CustomControl::CustomControl(QWidget* parent)
    : QWidget(parent)
{}

void CustomControl::loadNew()
{
    guarded("CustomControl::loadNew", [&] {
        initProperties();
    });
}

void CustomControl::load(const PropertyBag& bag)
{
    guarded("CustomControl::load", [&] {
        readProperties(bag);
    });
}

void CustomControl::save(PropertyBag& bag) const
{
    guarded("CustomControl::save", [&] {
        writeProperties(bag);
    });
}

void CustomControl::notifyPropertyChanged(const QString& key)
{
    guarded("CustomControl::propertyChanged", [&] {
        emit propertyChanged(key);
    });
}

void CustomControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    guarded("CustomControl::resize", [&] {
        controlResized();
    });
}

void CustomControl::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A window coming back from the task bar is not a new showing of its controls.
    if (!event->spontaneous())
        guarded("CustomControl::show", [&] {
            controlShown();
        });
}
