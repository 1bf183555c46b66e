#include "ui/ModalHooks.h"

#include "ui/Look.h"

#include <QAbstractButton>
#include <QDialog>
#include <QEventLoop>
#include <QHash>
#include <QList>
#include <QPointer>

namespace {
bool s_active = false;
QHash<QString, QList<ModalHooks::Answer>> s_answers;
QStringList s_shown;
ModalHooks::Answer s_boxObserver;

int waitForClose(QDialog &dialog)
{
    QPointer<QDialog> guard(&dialog);
    if (dialog.isVisible()) {
        QEventLoop loop;
        QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::DialogExec);
    }
    return guard ? guard->result() : QDialog::Rejected;
}
} // namespace

void ModalHooks::setActive(bool active)
{
    s_active = active;
}

bool ModalHooks::isActive()
{
    return s_active;
}

void ModalHooks::setNextAnswer(const QString &dialogClass, Answer answer)
{
    s_answers[dialogClass].append(std::move(answer));
}

ModalHooks::Answer ModalHooks::press(const QString &buttonName)
{
    return [buttonName](QDialog &dialog) {
        if (auto *button = dialog.findChild<QAbstractButton *>(buttonName))
            button->click();
    };
}

void ModalHooks::setBoxObserver(Answer observer)
{
    s_boxObserver = std::move(observer);
}

int ModalHooks::pendingAnswers()
{
    int count = 0;
    for (const auto &list : std::as_const(s_answers))
        count += list.size();
    return count;
}

QStringList &ModalHooks::shown()
{
    return s_shown;
}

void ModalHooks::clear()
{
    s_answers.clear();
    s_shown.clear();
    s_boxObserver = nullptr;
}

int ModalHooks::run(QDialog &dialog, const QString &dialogClass, const std::function<void()> &opening)
{
    return runAnswered(dialog, dialogClass, dialogClass, opening);
}

int ModalHooks::runQuestion(QDialog &dialog, const QString &record)
{
    return runAnswered(dialog, QStringLiteral("TfmVraag"), record, {});
}

int ModalHooks::runAnswered(QDialog &dialog, const QString &dialogClass, const QString &record,
                            const std::function<void()> &opening)
{
    dialog.setResult(QDialog::Rejected);
    dialog.setWindowModality(Qt::ApplicationModal);
    const qsizetype index = s_shown.size();
    if (s_active)
        s_shown.append(record);
    dialog.show();
    if (opening)
        opening();
    if (!s_active)
        return waitForClose(dialog);

    QList<Answer> &queue = s_answers[dialogClass];
    if (dialog.isVisible()) {
        if (queue.isEmpty()) {
            s_shown[index] = record + QStringLiteral(" (onbeantwoord)");
        } else {
            const Answer answer = queue.takeFirst();
            answer(dialog);
        }
    }
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}

int ModalHooks::runBox(QDialog &dialog, const QString &record)
{
    dialog.setResult(QDialog::Rejected);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    if (!s_active)
        return waitForClose(dialog);
    s_shown.append(record);
    if (s_boxObserver)
        s_boxObserver(dialog);
    dialog.accept();
    return dialog.result();
}

void ModalHooks::plainMessage(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    if (s_active) {
        s_shown.append((icon == QMessageBox::Critical ? QStringLiteral("Fout: ") : QStringLiteral("Bericht: ")) + text);
        return;
    }
    QMessageBox box(icon, title, Look::displayText(text), QMessageBox::Ok);
    box.exec();
}
