#include "ui/LayoutScreen.h"

#include "model/InputData.h"
#include "rules/TextRules.h"
#include "ui/InputForm.h"
#include "ui/MessageBoxes.h"
#include "ui/ModalHooks.h"
#include "ui/Screens.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
struct Row
{
    const char *labelName;
    const char *label;
    const char *hintName;
    const char *hint;
};

// One row per table field, in the order of the layout fields.
const Row Rows[LayoutFieldCount] = {
    {"Label4", "Naam", "Label21", "(Max. 70 karakters)"},
    {"Label5", "Adresregel 1", "Label13", "(Optioneel, max. 70 karakters)"},
    {"Label6", "Adresregel 2", "Label14", "(Optioneel, max. 70 karakters)"},
    {"Label2", "Bedrag", nullptr, nullptr},
    {"Label7", "IBAN rekeningnummer", nullptr, nullptr},
    {"Label8", "BIC code van de bank", "Label17", "(Optioneel)"},
    {"Label9", "Mandaat code", "Label20", "(Tekst, max. 30 karakters)"},
    {"Label10", "Mandaat getekend op", "Label18", "(Format : dd-mm-jjjj)"},
    {"Label3", "Sequentie code (FRST, RCUR, FNAL of OOFF)", "Label22",
     "(Optioneel: gebruik indien afwijkend van algemene standaard)"},
    {"Label12", "Omschrijving van de incasso", "Label19", "(Optioneel  max. 140 karakters)"},
};

QFrame *bevel(QWidget *parent, const QString &name, int x, int y, int width, int height)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setGeometry(x, y, width, height);
    return frame;
}

QLineEdit *centredEdit(QWidget *parent, const QString &name, int x, int y, int width)
{
    QLineEdit *e = Look::edit(parent, name, x, y, width, 26);
    e->setAlignment(Qt::AlignCenter);
    return e;
}
} // namespace

TLayout::TLayout(QWidget *parent) : TScreenDialog(parent), KolomNumbers(LayoutFieldCount, 0)
{
    Look::setupWindow(this, QStringLiteral("Layout"), QStringLiteral("Layout van de Excel tabel"), 719, 831,
                      Look::Border::None, Look::DialogBackground);
    // Made first: the tab order starts at "Accepteer", so the screen opens with the focus there.
    Button1 = Look::button(this, QStringLiteral("Button1"), QStringLiteral("Accepteer"), 520, 740, 130, 33, true);
    Button2 = Look::button(this, QStringLiteral("Button2"), QStringLiteral("Terug"), 520, 660, 130, 33, true);
    QLabel *title = Look::label(this, QStringLiteral("Label1"),
                                QStringLiteral("Indeling van de te verwerken Excel inputtabel"), 24, 16, true);
    title->setFont(Look::tahoma(18, true));
    title->adjustSize();

    QFrame *bevel1 = bevel(this, QStringLiteral("Bevel1"), 24, 56, 671, 100);
    CheckBox1 =
        Look::checkBox(bevel1, QStringLiteral("CheckBox1"),
                       QStringLiteral("De tabel heeft een rij met kolomkoppen  (ja/nee)           "), 16, 16, true);
    CheckBox2 = Look::checkBox(bevel1, QStringLiteral("CheckBox2"),
                               QStringLiteral("Selecteer  regels (ja/nee)            "), 16, 60, true);
    Label15 = Look::label(bevel1, QStringLiteral("Label15"), QStringLiteral("Criterium :"), 290, 62);
    Edit11 = centredEdit(bevel1, QStringLiteral("Edit11"), 380, 58, 91);
    Label16 = Look::label(bevel1, QStringLiteral("Label16"), QStringLiteral("in kolom :"), 492, 62);
    Edit12 = centredEdit(bevel1, QStringLiteral("Edit12"), 574, 58, 31);

    QFrame *bevel2 = bevel(this, QStringLiteral("Bevel2"), 24, 172, 671, 440);
    Look::label(bevel2, QStringLiteral("Label11"), QStringLiteral("Kolom letter :"), 330, 10);
    for (int i = 0; i < LayoutFieldCount; ++i) {
        const int y = 40 + 39 * i;
        Look::label(bevel2, QLatin1String(Rows[i].labelName), QString::fromUtf8(Rows[i].label), 16, y + 4);
        columnEdits.append(centredEdit(bevel2, QStringLiteral("Edit%1").arg(i + 1), 358, y, 40));
        if (Rows[i].hintName) {
            QLabel *hint =
                Look::label(bevel2, QLatin1String(Rows[i].hintName), QString::fromUtf8(Rows[i].hint), 414, y + 4);
            if (i == lfSeqCode) {
                // The longest hint wraps over two lines in a smaller size.
                hint->setFont(Look::tahoma(13));
                Look::wrapLabel(hint, 250);
                hint->move(414, y - 5);
            }
        }
    }

    Memo1 = Look::memo(this, QStringLiteral("Memo1"),
                       {QString(), QStringLiteral("Geef de kolomletters van de Excel inputtabel. Laat het veld leeg "),
                        QStringLiteral("als de betreffende input niet gebruikt wordt. Dat veld komt dan "),
                        QStringLiteral("uiteraard ook niet in het SEPA xml bestand voor."),
                        QStringLiteral("Per bank kunnen de eisen voor de input verschillen!!"), QString(),
                        QStringLiteral("De Exceltabel mag een eerste regel met kolomkoppen hebben. "),
                        QStringLiteral("Geef dat aan door het vinkje te zetten. Gebruik het filter als"),
                        QStringLiteral("selectief regels moeten worden opgenomen in het XML bestand.")},
                       24, 628, 438, 181);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);

    QWidget *previous = Button1;
    auto chain = [&previous, this](QWidget *next) {
        setTabOrder(previous, next);
        previous = next;
    };
    chain(Button2);
    chain(CheckBox1);
    for (QLineEdit *e : std::as_const(columnEdits))
        chain(e);
    chain(Memo1);
    chain(CheckBox2);
    chain(Edit11);
    chain(Edit12);

    connect(CheckBox2, &QCheckBox::clicked, this, &TLayout::CheckBox2Click);
    connect(Button1, &QPushButton::clicked, this, &TLayout::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TLayout::Button2Click);
    Look::applyWindowFont(this);
    // The guidance lines are laid out for a narrow font; a smaller size keeps them whole.
    Memo1->setFont(Look::tahoma(12));
}

bool TLayout::Execute()
{
    FormShow();
    return ModalHooks::run(*this, QStringLiteral("TLayout")) == QDialog::Accepted;
}

void TLayout::FormShow()
{
    const TScreenRect form = InputFormRect();
    move(form.left - 40, form.top + 60);
    for (int i = 0; i < LayoutFieldCount; ++i)
        columnEdits[i]->setText(ColumnLetters(KolomNumbers.value(i, 0)));
    CheckBox1->setChecked(Screens().InputData && InputData().HasHeadings);
    CheckBox2->setChecked(HasFilter);
    Edit11->setText(FilterReq);
    Edit12->setText(ColumnLetters(FilterCol));
    CheckBox2Click();
}

void TLayout::CheckBox2Click()
{
    const bool on = CheckBox2->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(Edit11), static_cast<QWidget *>(Edit12), static_cast<QWidget *>(Label15),
                       static_cast<QWidget *>(Label16)})
        w->setVisible(on);
}

void TLayout::Button1Click()
{
    CollectInfo();
    accept();
}

void TLayout::CollectInfo()
{
    KolomNumbers = QList<int>(LayoutFieldCount, 0);
    for (int i = 0; i < LayoutFieldCount; ++i)
        KolomNumbers[i] = ColumnNumber(columnEdits[i]->text());
    HasHeadings = CheckBox1->isChecked();
    HasFilter = CheckBox2->isChecked();
    FilterReq = Edit11->text();
    FilterCol = ColumnNumber(Edit12->text());
    // Only warnings: the binding test is the verification of "Check" and "Go !".
    TestRequiredInput();
}

bool TLayout::TestRequiredInput()
{
    bool complete = true;
    TfmMelding *box = Screens().fmMelding;
    for (int i = 0; i < LayoutFieldCount; ++i) {
        if (IsRequiredLayoutField(static_cast<TLayoutField>(i)) && KolomNumbers.value(i, 0) == 0) {
            box->move(50, box->y());
            box->SetWidth(580);
            box->SetButtonLeft(480);
            box->Label1->setFixedWidth(450);
            box->Melding = QStringLiteral("WAARSCHUWING\r\rAlleen de twee adresregels en de BIC code zijn optioneel."
                                          "\rVerder mag de kolom voor BIC en SequentieCode leeg blijven."
                                          "\rAlle andere velden moeten een kolomletter krijgen.");
            box->Execute();
            box->SetBasics();
            complete = false;
            break;
        }
    }
    if (CheckBox2->isChecked() && (Edit11->text().isEmpty() || Edit12->text().isEmpty())) {
        ShowMeldingBox(QStringLiteral("WAARSCHUWING\r\rBij gebruik van het filter moeten zowel te testen kolom"
                                      "\rals ook het criterium ingevuld worden. "));
        complete = false;
    }
    return complete;
}

void TLayout::Button2Click()
{
    if (Screens().InputForm)
        Screens().InputForm->setHeadings(CheckBox1->isChecked());
    reject();
}
