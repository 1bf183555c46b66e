#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QString>

class QAbstractButton;
class QLabel;
class QPushButton;
class QWidget;

// The fixed look of the screens: their colours, the Tahoma font (the nearest
// sans-serif where it is not installed) and absolute placement of controls.
namespace Look {

inline const QColor MainBackground(39, 88, 94);   // main window, input screen, help window
inline const QColor DialogBackground(48, 62, 69); // layout screen, dialogs, processing screen
inline const QColor BoxBackground(64, 124, 124);  // message and error box, the processing log

QFont tahoma(int pixelSize, bool bold = false);

// Window kinds: the fixed client size and which title-bar buttons it has.
enum class Border
{
    None,      // no border icons: left only through its own buttons
    CloseOnly, // the close box alone
    System,    // system menu with close box, as a main window
};
// Every window set up here also fits the screen it opens on: when its fixed
// size is larger than the room there, it opens at that room with its controls
// in a scroll area, at their own places; and it is kept on that screen.
void setupWindow(QWidget *window, const QString &objectName, const QString &caption, int width, int height,
                 Border border, const QColor &background, int fontPixels = 15);
// The same for a window built by its Designer form, which already gave it its
// object name, caption and client size.
void setupFormWindow(QWidget *window, Border border, const QColor &background, int fontPixels = 15);

// Enter presses the focused button; in a field or list it presses confirm.
// Escape presses cancel. Either may be null: that key then does nothing.
void setKeyButtons(QWidget *window, QAbstractButton *confirm, QAbstractButton *cancel);
// Enter in this field presses this button instead of the window's confirm.
void setEnterButton(QWidget *field, QAbstractButton *button);

// Gives every control of the window the window's font, keeping what a control
// set itself (bold, size). Called at the end of a screen's construction: under a
// style sheet Qt stops handing the font down past a nested frame.
void applyWindowFont(QWidget *window);

// A label that wraps its text at this width and is as high as the text needs.
void wrapLabel(QLabel *label, int width);
QPushButton *button(QWidget *parent, const QString &name, const QString &text, int x, int y, int width, int height = 27,
                    bool bold = false);

// The pixel width of a text written as one line in the widget's font.
int textWidth(const QWidget *widget, const QString &text);
// Carriage returns are this system's line breaks; Qt's labels want line feeds.
QString displayText(const QString &text);

} // namespace Look

// A dialog without border icons is left only through its own buttons: Escape
// presses its cancelling button (setKeyButtons) and never just rejects it.
class TScreenDialog : public QDialog
{
public:
    using QDialog::QDialog;

    // The window it places itself by, also when another screen opens it: the input screen.
    void setAnchor(QWidget *anchor) { m_anchor = anchor; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // The anchor's frame (its geometry before it was ever shown); all zero without one.
    QRect anchorRect() const { return m_anchor ? m_anchor->frameGeometry() : QRect(); }

private:
    QPointer<QWidget> m_anchor;
};

class QPixmap;
namespace Look {
// The picture of the main window and the input screen: a collection form with a euro sign.
QPixmap emblem(int width, int height);
} // namespace Look
