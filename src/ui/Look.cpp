#include "ui/Look.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <QWindow>

namespace {
// The frame that a window manager is likely to add, for a window it has not
// framed yet (X11 tells the frame only once the window is mapped).
constexpr QMargins LikelyFrame(8, 32, 8, 8);

QMargins frameOf(const QWidget *window)
{
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return {};
    if (const QWindow *handle = window->windowHandle()) {
        const QMargins known = handle->frameMargins();
        if (!known.isNull())
            return known;
    }
    return LikelyFrame;
}

QSize frameSize(const QWidget *window, const QMargins &frame)
{
    return window->size() + QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
}

// The screen a window opens on: where the middle of its frame lies, else its top left corner.
QScreen *screenOf(const QWidget *window)
{
    const QRect frame(window->pos(), frameSize(window, frameOf(window)));
    if (QScreen *screen = QGuiApplication::screenAt(frame.center()))
        return screen;
    if (QScreen *screen = QGuiApplication::screenAt(frame.topLeft()))
        return screen;
    return window->screen() ? window->screen() : QGuiApplication::primaryScreen();
}

QAbstractButton *buttonProperty(const QObject *object, const char *name)
{
    return qobject_cast<QAbstractButton *>(object->property(name).value<QObject *>());
}

bool canPress(const QAbstractButton *button)
{
    return button && button->isEnabled() && button->isVisible();
}

// Keeps one window usable: fits it to its screen when it is shown, keeps its
// title bar on the screen when the program places it, and gives it Enter and Escape.
class WindowKeeper final : public QObject
{
public:
    explicit WindowKeeper(QWidget *window) : QObject(window), m_window(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Show:
            // A spontaneous show is a window coming back from the task bar: it was fitted already.
            if (!event->spontaneous()) {
                fit();
                keepOnScreen();
            }
            break;
        case QEvent::Hide:
            if (!event->spontaneous())
                unwrap();
            break;
        case QEvent::Move:
            // Only the program's own placing: a window the user drags goes where the user wants.
            if (!event->spontaneous() && m_window->isVisible())
                keepOnScreen();
            break;
        case QEvent::KeyPress:
            return pressKey(static_cast<QKeyEvent *>(event));
        default:
            break;
        }
        return false;
    }

private:
    void fit()
    {
        const QSize own = m_window->size();
        const QMargins frame = frameOf(m_window);
        const QRect available = screenOf(m_window)->availableGeometry();
        const QSize room(available.width() - frame.left() - frame.right(),
                         available.height() - frame.top() - frame.bottom());
        if (own.width() <= room.width() && own.height() <= room.height())
            return;
        wrap(own, room);
    }

    void wrap(const QSize &own, const QSize &room)
    {
        QWidget *focused = m_window->focusWidget();
        auto *area = new QScrollArea(m_window);
        area->setObjectName(QStringLiteral("kwScrollArea"));
        area->setFrameShape(QFrame::NoFrame);
        // Tab walks the controls; the area follows the focus (below) and the mouse wheel.
        area->setFocusPolicy(Qt::NoFocus);
        area->verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
        area->horizontalScrollBar()->setFocusPolicy(Qt::NoFocus);
        // Made inside the window, so the controls never leave it on their way in: leaving it
        // would cost them the window's tab order.
        auto *content = new QWidget(area);
        content->setObjectName(QStringLiteral("kwContent"));
        content->setFixedSize(own);
        moveChildren(m_window, content, area);
        area->setWidget(content);
        // The window paints its own background behind the area.
        area->viewport()->setAutoFillBackground(false);
        content->setAutoFillBackground(false);

        const int barWidth = area->verticalScrollBar()->sizeHint().width();
        const int barHeight = area->horizontalScrollBar()->sizeHint().height();
        bool down = false;
        bool across = false;
        for (int pass = 0; pass < 2; ++pass) {
            down = own.height() + (across ? barHeight : 0) > room.height();
            across = own.width() + (down ? barWidth : 0) > room.width();
        }
        const QSize client(qMin(own.width() + (down ? barWidth : 0), room.width()),
                           qMin(own.height() + (across ? barHeight : 0), room.height()));
        m_ownSize = own;
        m_window->setFixedSize(client);
        area->setGeometry(QRect(QPoint(0, 0), client));
        area->show();
        m_area = area;
        m_focus = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
            if (m_area && now && m_area->widget()->isAncestorOf(now))
                m_area->ensureWidgetVisible(now);
        });
        if (focused)
            focused->setFocus();
    }

    // Between showings the window is as its screen built it.
    void unwrap()
    {
        if (!m_area)
            return;
        QWidget *focused = m_window->focusWidget();
        disconnect(m_focus);
        moveChildren(m_area->widget(), m_window, nullptr);
        delete m_area;
        m_area = nullptr;
        m_window->setFixedSize(m_ownSize);
        if (focused)
            focused->setFocus();
    }

    static void moveChildren(QWidget *from, QWidget *to, const QWidget *skip)
    {
        for (QWidget *child : from->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (child == skip || child->isWindow())
                continue;
            const bool shown = !child->isHidden();
            const QPoint at = child->pos();
            child->setParent(to);
            child->move(at);
            child->setVisible(shown);
        }
    }

    void keepOnScreen()
    {
        if (m_placing)
            return;
        m_placing = true;
        // Measured from the client area: until the window manager has framed the window, Qt
        // knows no frame, and the place it is given is that of the client area, under the title bar.
        const QRect frame = m_window->geometry().marginsAdded(frameOf(m_window));
        const QRect available = screenOf(m_window)->availableGeometry();
        const int dx = qMax(available.left() - frame.left(), qMin(0, available.right() - frame.right()));
        const int dy = qMax(available.top() - frame.top(), qMin(0, available.bottom() - frame.bottom()));
        if (dx != 0 || dy != 0)
            m_window->move(m_window->pos() + QPoint(dx, dy));
        m_placing = false;
    }

    bool pressKey(const QKeyEvent *key)
    {
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Held down, Enter would go on to press the button of every next box.
            if (key->isAutoRepeat())
                return true;
            QWidget *focus = m_window->focusWidget();
            QAbstractButton *button = qobject_cast<QPushButton *>(focus);
            if (!button && focus)
                button = buttonProperty(focus, "kwEnterButton");
            if (!button)
                button = buttonProperty(m_window, "kwConfirmButton");
            if (!canPress(button))
                return false;
            button->click();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            QAbstractButton *button = buttonProperty(m_window, "kwCancelButton");
            if (!canPress(button) || key->isAutoRepeat())
                return false;
            button->click();
            return true;
        }
        return false;
    }

    QWidget *m_window;
    QPointer<QScrollArea> m_area;
    QSize m_ownSize;
    QMetaObject::Connection m_focus;
    bool m_placing = false;
};
} // namespace

namespace Look {

QFont tahoma(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

static QString rgb(const QColor &c)
{
    return QStringLiteral("rgb(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

void setupWindow(QWidget *window, const QString &objectName, const QString &caption, int width, int height,
                 Border border, const QColor &background, int fontPixels)
{
    window->setObjectName(objectName);
    window->setWindowTitle(caption);
    window->resize(width, height);
    setupFormWindow(window, border, background, fontPixels);
}

void setupFormWindow(QWidget *window, Border border, const QColor &background, int fontPixels)
{
    const QString objectName = window->objectName();
    window->setFont(tahoma(fontPixels));
    window->setFixedSize(window->size());
    Qt::WindowFlags flags =
        window->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint;
    flags &= ~(Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint |
               Qt::WindowSystemMenuHint);
    if (border == Border::CloseOnly)
        flags |= Qt::WindowCloseButtonHint;
    else if (border == Border::System)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    window->setWindowFlags(flags);
    // A plain QWidget paints a style-sheet background only with this attribute.
    window->setAttribute(Qt::WA_StyledBackground);
    // The window's own sheet wins over the application's visual style. It names
    // the window alone: a type rule here would also reset the fonts of the
    // controls inside frames. Buttons get less padding, so the captions fit the
    // sizes the screens give them.
    window->setStyleSheet(QStringLiteral("#%1 { background-color: %2; } #%1 QPushButton { padding: 1px 2px; }")
                              .arg(objectName, rgb(background)));
    QPalette palette = window->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    window->setPalette(palette);
    new WindowKeeper(window);
}

void setKeyButtons(QWidget *window, QAbstractButton *confirm, QAbstractButton *cancel)
{
    window->setProperty("kwConfirmButton", QVariant::fromValue<QObject *>(confirm));
    window->setProperty("kwCancelButton", QVariant::fromValue<QObject *>(cancel));
}

void setEnterButton(QWidget *field, QAbstractButton *button)
{
    field->setProperty("kwEnterButton", QVariant::fromValue<QObject *>(button));
}

void applyWindowFont(QWidget *window)
{
    const QFont base = window->font();
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const QFont own = w->font();
        QFont merged = own.resolve(base);
        merged.setResolveMask(own.resolveMask() | base.resolveMask());
        w->setFont(merged);
    }
    // Labels and check boxes that size themselves to their text measure again in the final font.
    for (QLabel *l : window->findChildren<QLabel *>()) {
        if (l->property("kwWrapFit").toBool())
            wrapLabel(l, l->width());
        else if (!l->wordWrap() && l->pixmap().isNull() && l->minimumWidth() == 0)
            l->adjustSize();
    }
    for (QCheckBox *c : window->findChildren<QCheckBox *>())
        c->adjustSize();
}

void wrapLabel(QLabel *label, int width)
{
    label->setWordWrap(true);
    label->setProperty("kwWrapFit", true);
    label->setFixedWidth(width);
    label->setFixedHeight(label->heightForWidth(width));
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text, int x, int y, int width, int height,
                    bool bold)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(x, y, width, height);
    // As on the system's own screens, Enter presses only the button that has the focus.
    b->setAutoDefault(false);
    if (bold) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    return b;
}

int textWidth(const QWidget *widget, const QString &text)
{
    QString oneLine = text;
    oneLine.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    return QFontMetrics(widget->font()).horizontalAdvance(oneLine);
}

QString displayText(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

} // namespace Look

void TScreenDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QPixmap Look::emblem(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width, h = height;
    // A sheet with a folded corner and ruled lines.
    QPainterPath sheet;
    sheet.moveTo(w * 0.12, h * 0.04);
    sheet.lineTo(w * 0.68, h * 0.04);
    sheet.lineTo(w * 0.88, h * 0.22);
    sheet.lineTo(w * 0.88, h * 0.96);
    sheet.lineTo(w * 0.12, h * 0.96);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(30, 50, 60), 2));
    p.setBrush(QColor(245, 248, 250));
    p.drawPath(sheet);
    p.setBrush(QColor(200, 214, 220));
    p.drawPolygon(QPolygonF({QPointF(w * 0.68, h * 0.04), QPointF(w * 0.68, h * 0.22), QPointF(w * 0.88, h * 0.22)}));
    p.setPen(QPen(QColor(112, 128, 144), 2));
    for (int i = 0; i < 4; ++i) {
        const qreal y = h * (0.32 + 0.08 * i);
        p.drawLine(QPointF(w * 0.22, y), QPointF(w * (i % 2 ? 0.62 : 0.78), y));
    }
    // The euro sign on a round seal.
    const QRectF seal(w * 0.40, h * 0.58, w * 0.44, w * 0.44);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(39, 88, 94));
    p.drawEllipse(seal);
    QFont font = tahoma(int(w * 0.30), true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(seal, Qt::AlignCenter, QString(QChar(0x20AC)));
    return pixmap;
}
