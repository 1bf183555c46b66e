#include "ui/Look.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

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

QLabel *label(QWidget *parent, const QString &name, const QString &text, int x, int y, bool bold)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLineEdit *edit(QWidget *parent, const QString &name, int x, int y, int width, int height)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(x, y, width, height);
    return e;
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

QCheckBox *checkBox(QWidget *parent, const QString &name, const QString &text, int x, int y, bool boxAtRight)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(name);
    if (boxAtRight)
        c->setLayoutDirection(Qt::RightToLeft);
    c->move(x, y);
    c->adjustSize();
    return c;
}

QPlainTextEdit *memo(QWidget *parent, const QString &name, const QStringList &lines, int x, int y, int width,
                     int height)
{
    auto *m = new QPlainTextEdit(parent);
    m->setObjectName(name);
    m->setGeometry(x, y, width, height);
    m->setPlainText(lines.join(QLatin1Char('\n')));
    return m;
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
