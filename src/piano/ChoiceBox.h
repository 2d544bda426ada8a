#pragma once

#include <QComboBox>

// An editable drop-down list of the piano window whose typed text chooses no entry: Qt's own box
// would choose the entry that a typed text names once Return is pressed or the box is left, and
// its inline completion would fill in an entry while the user types. Here `chosen` runs only for a
// choice made from the list itself: a click or Return in the open list, an arrow key or the wheel
// on the box. Typed text stays as typed (no completion) and leaves the box without a chosen row.
//
// Every key typed into the box is the box's own: no key press reaches the window behind it (which
// would play it, or close for Esc). Return, Enter and Esc raise `typingEnded`. Releases go on to
// the window, which lets go only of keys whose press it had. The open list closing, with
// or without a choice, raises `listClosed`. UI thread only.
class ChoiceBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ChoiceBox(QWidget* parent);

    // The row chosen from the list last; -1 before any choice and from the first key typed on.
    int chosenRow() const { return m_chosenRow; }

    // The open list is made wide enough for its longest entry, however narrow the box.
    void showPopup() override;
    void hidePopup() override;

signals:
    void chosen(int row);
    void listClosed();
    void typingEnded();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    class TypedText;

    TypedText* m_typed = nullptr;
    int m_chosenRow = -1;
};
