#pragma once

#include <type_traits>

#include <QWidget>

class PropertyBag;

// The host side of a drawn control: what a window does with a control it carries, and what the
// control tells the window back.
//
// The window creates the control, then either starts it as a new instance (loadNew: every
// property takes its default) or loads the values it was designed with (load: a PropertyBag
// filled in code, read key by key with defaults), sizes and shows it. save() writes the stored
// properties back. A control draws nothing before one of the two loads and before it is first
// shown; Qt's resize and show events reach it as controlResized() and controlShown(), in that
// order on the first showing.
//
// userMode() is false while a form designer hosts the control (it then runs no timers); windows
// of the program always run it in user mode. propertyChanged(key) reports that a stored property
// was set, under its stored key: a setter stores, redraws what the value shows, and reports last
// (setProperty), so a handler of the report reads the value as it is drawn.
//
// Events follow the convention in DrawSurface.h: synchronous Qt signals with the given event
// names, direct connections only.
class CustomControl : public QWidget
{
    Q_OBJECT

public:
    explicit CustomControl(QWidget* parent = nullptr);

    void loadNew();
    void load(const PropertyBag& bag);
    void save(PropertyBag& bag) const;

    bool userMode() const { return m_userMode; }

    // Set before loading; a designer would pass false.
    void setUserMode(bool userMode) { m_userMode = userMode; }

signals:
    void propertyChanged(const QString& key);

protected:
    virtual void initProperties() = 0;
    virtual void readProperties(const PropertyBag& bag) = 0;
    virtual void writeProperties(PropertyBag& bag) const = 0;

    virtual void controlResized() {}

    virtual void controlShown() {}

    void notifyPropertyChanged(const QString& key);

    void notifyPropertyChanged(const char* key) { notifyPropertyChanged(QString::fromLatin1(key)); }

    // Set, redraw, report: stores the value, runs the control's own redraw for it (one of its
    // member functions), then reports the key.
    template <typename T, typename Control>
    void setProperty(
        T& field, const std::type_identity_t<T>& value, const char* key, void (Control::*redraw)())
    {
        static_assert(std::is_base_of_v<CustomControl, Control>);
        field = value;
        (static_cast<Control*>(this)->*redraw)();
        notifyPropertyChanged(key);
    }

    // For a property that shows nowhere: set and report.
    template <typename T>
    void setProperty(T& field, const std::type_identity_t<T>& value, const char* key)
    {
        field = value;
        notifyPropertyChanged(key);
    }

    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool m_userMode = true;
};
