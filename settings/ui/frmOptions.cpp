#include "settings/ui/frmOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <stdexcept>

#include "browser/WebBrowser.h"
#include "browser/ui/frmSetPaths.h"
#include "platform/MessageBoxes.h"
#include "settings/OptionsHost.h"
#include "settings/SettingsStore.h"
#include "settings/ui/DialogFont.h"
#include "store/Clients.h"
#include "store/LinkStore.h"

namespace brindlex {

namespace {

// A stored check-box value: "0" or "1"; anything else cannot be shown.
Qt::CheckState checkValue(const std::string& text)
{
    if (text == "0") {
        return Qt::Unchecked;
    }
    if (text == "1") {
        return Qt::Checked;
    }
    throw std::invalid_argument("not a check-box value: " + text);
}

Qt::CheckState checkValue(int value)
{
    return checkValue(std::to_string(value));
}

}  // namespace

frmOptions::frmOptions(
    OptionsHost& host, WebBrowser& browser, SettingsStore& settings, MessageBoxes& messages, QWidget* parent)
    : QDialog(parent)
    , m_host(host)
    , m_browser(browser)
    , m_settings(settings)
    , m_messages(messages)
{
    build();
    m_chooseFont = [this](const QFont& initial) -> std::optional<QFont> {
        bool chosen = false;
        const QFont font = QFontDialog::getFont(&chosen, initial, this);
        return chosen ? std::optional<QFont>(font) : std::nullopt;
    };
    m_openPaths = [this] {
        frmSetPaths paths(m_settings, m_messages, m_host.Options(), this);
        paths.exec();
    };
    load();
}

void frmOptions::build()
{
    setObjectName("frmOptions");
    setWindowTitle("Options");
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName("SSTab1");

    auto* general = new QWidget;
    chkStartMin = new QCheckBox("Start hidden", general);
    chkStartMin->setObjectName("chkStartMin");
    chkAutoSave = new QCheckBox("Auto-Save on exit", general);
    chkAutoSave->setObjectName("chkAutoSave");
    chkTray = new QCheckBox("Show in system tray", general);
    chkTray->setObjectName("chkTray");
    Command4 = new QPushButton("Change Font", general);
    Command4->setObjectName("Command4");
    Command4->setAutoDefault(false);  // Enter still means OK here
    Label5 = new QLabel(general);
    Label5->setObjectName("Label5");
    Label6 = new QLabel(general);
    Label6->setObjectName("Label6");
    chkIncludeDesc = new QCheckBox("Include &description bar for right and left panes", general);
    chkIncludeDesc->setObjectName("chkIncludeDesc");
    chkDisplayPath = new QCheckBox("Display full &path in title bar", general);
    chkDisplayPath->setObjectName("chkDisplayPath");
    chkAutoAssign = new QCheckBox("Automatically assign client", general);
    chkAutoAssign->setObjectName("chkAutoAssign");
    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(Command4);
    fontRow->addWidget(Label5);
    fontRow->addWidget(Label6);
    fontRow->addStretch();
    auto* generalLayout = new QVBoxLayout(general);
    generalLayout->addWidget(chkStartMin);
    generalLayout->addWidget(chkAutoSave);
    generalLayout->addWidget(chkTray);
    generalLayout->addLayout(fontRow);
    generalLayout->addWidget(chkIncludeDesc);
    generalLayout->addWidget(chkDisplayPath);
    generalLayout->addWidget(chkAutoAssign);
    generalLayout->addStretch();
    SSTab1->addTab(general, "Options");

    auto* browserTab = new QWidget;
    Frame1 = new QGroupBox("Browser Method", browserTab);
    Frame1->setObjectName("Frame1");
    Option1 = new QRadioButton("Scan", Frame1);
    Option1->setObjectName("Option1");
    Option2 = new QRadioButton("Specific", Frame1);
    Option2->setObjectName("Option2");
    Combo1 = new QComboBox(Frame1);
    Combo1->setObjectName("Combo1");
    Combo1->addItems({ "Netscape Navigator", "MS Internet Explorer", "Spyglass Mosaic", "Spry Mosaic" });
    Combo2 = new QComboBox(Frame1);
    Combo2->setObjectName("Combo2");
    Combo2->addItems({ "Netscape Navigator", "MS Internet Explorer", "Spyglass Mosaic", "Spry Mosaic",
        "System Clipboard", "NCSA Mosaic" });
    auto* scanText = new QLabel("Will search for an open version of Netscape Navigator, Microsoft Internet\n"
                                "Explorer, or SpyGlass Mosaic. Default=",
        Frame1);
    auto* specificText = new QLabel("Will only search for the specified Web Browser. You may also specify\n"
                                    "the system clipboard.  Selection=",
        Frame1);
    auto* frameLayout = new QGridLayout(Frame1);
    frameLayout->addWidget(Option1, 0, 0);
    frameLayout->addWidget(scanText, 0, 1);
    frameLayout->addWidget(Combo1, 1, 1);
    frameLayout->addWidget(Option2, 2, 0);
    frameLayout->addWidget(specificText, 2, 1);
    frameLayout->addWidget(Combo2, 3, 1);
    Check1 = new QCheckBox("Open Browser if not already", browserTab);
    Check1->setObjectName("Check1");
    Command3 = new QPushButton("Set Paths", browserTab);
    Command3->setObjectName("Command3");
    Command3->setAutoDefault(false);
    auto* browserRow = new QHBoxLayout;
    browserRow->addWidget(Check1);
    browserRow->addStretch();
    browserRow->addWidget(Command3);
    auto* browserLayout = new QVBoxLayout(browserTab);
    browserLayout->addWidget(Frame1);
    browserLayout->addLayout(browserRow);
    browserLayout->addStretch();
    SSTab1->addTab(browserTab, "Select Browser");

    Command1 = new QPushButton("OK", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    Command2 = new QPushButton("Cancel", this);
    Command2->setObjectName("Command2");
    Command2->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &frmOptions::ok);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Command4, &QPushButton::clicked, this, &frmOptions::changeFont);
    connect(Command3, &QPushButton::clicked, this, [this] { m_openPaths(); });
    connect(chkTray, &QCheckBox::clicked, this, [this](bool on) { chkStartMin->setEnabled(on); });
    connect(Option1, &QRadioButton::clicked, this, &frmOptions::scanClicked);
    connect(Option2, &QRadioButton::clicked, this, &frmOptions::specificClicked);
    connect(Combo2, &QComboBox::activated, this, &frmOptions::combo2Chosen);
}

void frmOptions::load()
{
    // The steps are counted as they pass, so that a stored value that cannot be shown
    // is reported with the step it stopped at; what was filled before stays.
    int step = 0;
    const ProgramOptions& options = m_host.Options();
    try {
        applyDialogFont(*this, options.ProgramFont, options.ProgramFontSize);
        step = 1;
        chkAutoSave->setCheckState(checkValue(options.AutoSave));
        step = 2;
        chkAutoAssign->setCheckState(checkValue(options.AutoAssign));
        step = 3;
        chkStartMin->setCheckState(checkValue(m_settings.get("Browser", "StartMin", "0")));
        step = 4;
        chkDisplayPath->setCheckState(checkValue(options.DisplayPath));
        step = 5;
        chkIncludeDesc->setCheckState(checkValue(options.IncludeDesc));
        m_openedIncludeDesc = options.IncludeDesc;
        step = 6;
        showFont(options.ProgramFont, options.ProgramFontSize);
        step = 7;
        step = 8;
        chkTray->setCheckState(checkValue(options.TrayFlag));
        if (!m_host.TrayAvailable()) {
            // The stored choice is shown, and kept, but cannot be changed here.
            chkTray->setEnabled(false);
            chkTray->setToolTip("This desktop has no system tray: the window is minimised to the task bar");
        }
        step = 9;
        chkStartMin->setEnabled(chkTray->isChecked());
        step = 10;
        const bool scan = m_browser.Method;
        Option1->setChecked(scan);
        Option2->setChecked(!scan);
        step = 11;
        const int id = m_browser.BrowserID;
        if (scan && (id < 0 || id >= Combo1->count())) {
            throw std::out_of_range("no such browser");
        }
        Combo1->setCurrentIndex(scan ? id : 0);
        Combo1->setEnabled(scan);
        step = 12;
        if (!scan && (id < 0 || id >= Combo2->count())) {
            throw std::out_of_range("no such browser");
        }
        Combo2->setCurrentIndex(scan ? 0 : id);
        Combo2->setEnabled(!scan);
        step = 13;
        Check1->setCheckState(checkValue(m_browser.OpenIfClosed));
        Check1->setEnabled(!scan && id != MosaicClientID);
        step = 14;
        Command3->setEnabled(!scan);
        step = 15;
    } catch (const std::exception&) {
        m_messages.show("Options", "Error #" + std::to_string(step), MessageIcon::Information);
    }
}

void frmOptions::changeFont()
{
    ProgramOptions& options = m_host.Options();
    QFont initial(QString::fromStdString(options.ProgramFont), options.ProgramFontSize);
    const std::optional<QFont> font = m_chooseFont(initial);
    if (!font) {
        return;
    }
    // Kept even if the dialog is then cancelled; applied by the next "OK".
    options.ProgramFont = font->family().toStdString();
    options.ProgramFontSize = font->pointSize() > 0 ? font->pointSize() : options.ProgramFontSize;
    showFont(options.ProgramFont, options.ProgramFontSize);
}

void frmOptions::showFont(const std::string& name, int size)
{
    // A stored name no font of this system has ("MS Sans Serif" from the old desktop) is
    // shown as the font the windows really use in its place; the stored name stays until
    // the user chooses another.
    const QFontInfo used(QFont(QString::fromStdString(name), size > 0 ? size : -1));
    Label5->setText(used.family());
    Label6->setText(QString::number(size > 0 ? used.pointSize() : size));
}

void frmOptions::scanClicked()
{
    Combo2->setEnabled(false);
    Command3->setEnabled(false);
    Check1->setEnabled(false);
    Combo1->setEnabled(true);
}

void frmOptions::specificClicked()
{
    Combo1->setEnabled(false);
    Combo2->setEnabled(true);
    Command3->setEnabled(true);
    Check1->setEnabled(true);
}

void frmOptions::combo2Chosen(int index)
{
    const bool program = index <= 3;  // the clipboard and NCSA Mosaic have no program to start
    Check1->setEnabled(program);
    Command3->setEnabled(program);
}

void frmOptions::ok()
{
    // 1. The default client.
    int row;
    bool method;
    if (Option1->isChecked()) {
        row = Combo1->currentIndex();
        method = true;
    } else {
        row = Combo2->currentIndex();
        if (row < 0 || row > ClipboardClientID) {
            row = MosaicClientID;
        }
        method = false;
    }
    if (row < 0) {
        row = 0;
    }
    m_browser.ChooseDefaultClient(row, method, Check1->isChecked() ? 1 : 0);
    m_host.ShowDefaultClient(defaultClient(row).ToolbarImage, m_browser.Browser);

    // 2. The program font.
    ProgramOptions& options = m_host.Options();
    m_host.ApplyProgramFont();
    applyDialogFont(*this, options.ProgramFont, options.ProgramFontSize);

    // 3.-5. The general options.
    options.AutoAssign = chkAutoAssign->isChecked() ? 1 : 0;
    m_browser.store().SetAutoAssign(options.AutoAssign);
    options.AutoSave = chkAutoSave->isChecked() ? 1 : 0;
    options.DisplayPath = chkDisplayPath->isChecked() ? 1 : 0;
    options.IncludeDesc = chkIncludeDesc->isChecked() ? 1 : 0;
    if (options.DisplayPath == 0) {
        m_host.SetTitle("Brindlex");
    }
    if (options.IncludeDesc != m_openedIncludeDesc) {
        PaneGeometry panes = m_host.Panes();
        RelayHeaderBars(panes, options.IncludeDesc == 1, m_host.ToolbarShown());
        m_host.SetPanes(panes);
    }

    // 6. Written at once, unlike every other option.
    m_settings.set("Browser", "StartMin", chkStartMin->isChecked() ? "1" : "0");

    // 7. The tray icon.
    options.TrayFlag = chkTray->isChecked() ? 1 : 0;
    m_host.SetTrayIcon(options.TrayFlag == 1);
    accept();
}

}  // namespace brindlex
