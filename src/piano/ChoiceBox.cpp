#include "piano/ChoiceBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QScrollBar>

// The box's text field. Qt's box looks the typed text up in its list whenever the field commits
// it (Return, Enter, or the focus leaving) and reports a match as a choice; this field says
// while it is committing, and what the user had typed before Qt put the matched entry's text in.
class ChoiceBox::TypedText : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

    bool committing() const { return m_committing; }

    const QString& typed() const { return m_typed; }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            commit([&] {
                QLineEdit::keyPressEvent(event);
            });
        else
            QLineEdit::keyPressEvent(event);
    }

    void focusOutEvent(QFocusEvent* event) override
    {
        commit([&] {
            QLineEdit::focusOutEvent(event);
        });
    }

private:
    template <typename Step> void commit(Step step)
    {
        const QScopedValueRollback guard(m_committing, true);
        m_typed = text();
        step();
    }

    bool m_committing = false;
    QString m_typed;
};

ChoiceBox::ChoiceBox(QWidget* parent)
    : QComboBox(parent)
    , m_typed(new TypedText(this))
{
    setEditable(true);
    setLineEdit(m_typed);
    // Inline completion would put an entry's name into the box as the user types.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::activated, this, [this](int row) {
        if (m_typed->committing()) {
            // Qt matched the typed text: the text stays as typed, and nothing is chosen.
            if (m_typed->text() != m_typed->typed())
                m_typed->setText(m_typed->typed());
            return;
        }
        m_chosenRow = row;
        emit chosen(row);
    });
    connect(m_typed, &QLineEdit::textEdited, this, [this] {
        m_chosenRow = -1;
    });
}

void ChoiceBox::showPopup()
{
    QAbstractItemView* list = view();
    list->setMinimumWidth(list->sizeHintForColumn(0) + list->verticalScrollBar()->sizeHint().width()
        + 2 * list->frameWidth());
    QComboBox::showPopup();
}

void ChoiceBox::hidePopup()
{
    QComboBox::hidePopup();
    emit listClosed();
}

void ChoiceBox::keyPressEvent(QKeyEvent* event)
{
    QComboBox::keyPressEvent(event);
    // What the box does not use goes no further: behind it the window would play it.
    event->accept();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        emit typingEnded();
        break;
    default:
        break;
    }
}

void ChoiceBox::keyReleaseEvent(QKeyEvent* event)
{
    QComboBox::keyReleaseEvent(event);
    // Qt's box keeps every release: a piano key held down as the user clicked into the box would
    // then sound on for good.
    event->ignore();
}
