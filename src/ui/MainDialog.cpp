#include "ui/MainDialog.h"

#include "ui/AboutDialog.h"
#include "ui/ActionList.h"
#include "ui/ActionPropertiesDialog.h"
#include "ui/ControlMirror.h"
#include "ui/DialogBuilder.h"
#include "ui/NameWarnings.h"
#include "ui/PreviewPane.h"
#include "ui/ReviewDialog.h"
#include "ui/SummaryDialog.h"
#include "wizard/ControlIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QShortcut>
#include <QStringList>

#include <algorithm>
#include <utility>

#ifdef Q_OS_WIN
#define NOMINMAX
#include <windows.h>
#endif

namespace vantrel {

MainDialog::MainDialog(QWidget* parent, std::string configOption)
    : QDialog(parent)
    , m_sink(this)
    , m_logic(m_project, *this, m_sink,
              [this] {
                  MainDialogServices services = engineServices(
                      [this](ProjectState& project, MessageSink& sink) {
                          readFoundConfiguration(project, sink);
                      },
                      m_configuration);
                  services.answersChanged = [this] {
                      requestPreview();
                  };
                  return services;
              }())
    , m_configOption(std::move(configOption)) {
    setWindowTitle(QString::fromUtf8(APP_TITLE));
    setObjectName(QStringLiteral("dialog102"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/vantrel.svg")));

    DialogBuilder b(this);
    // Wider than the controls by a column for the warnings about the project name.
    b.resizeDialog(393, 228);
    const auto keep = [this]<class Widget>(int id, Widget* widget) {
        m_controls[id] = widget;
        return widget;
    };
    auto* create = keep(CTL_OK, b.button(CTL_OK, tr("&Create"), 107, 197, 50, 14));
    create->setDefault(true);
    create->setEnabled(false);
    auto* cancel = keep(CTL_CANCEL, b.button(CTL_CANCEL, tr("Cancel"), 162, 197, 50, 14));
    auto* name = keep(IDC_PROJECT_NAME, b.edit(IDC_PROJECT_NAME, 7, 16, 175, 12));
    name->setEnabled(false);
    b.label(tr("&Project name:"), 7, 6, 44, 8, name);
    m_nameWarnings = makeNameWarnings(this, b.units().rect(293, 6, 93, 205));
    auto* location = keep(IDC_LOCATION, b.edit(IDC_LOCATION, 7, 47, 162, 12));
    location->setEnabled(false);
    b.label(tr("&Location:"), 7, 37, 30, 8, location);
    auto* browse = keep(IDC_BROWSE, b.button(IDC_BROWSE, QStringLiteral("..."), 171, 47, 11, 12));

    m_list = new ActionList(this);
    m_list->setObjectName(controlName(IDC_ACTION_LIST));
    m_list->setViewMode(QListView::ListMode);
    m_list->setFlow(QListView::TopToBottom);
    m_list->setWrapping(true);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setGeometry(b.units().rect(8, 78, 174, 111));
    m_list->setEnabled(false);
    keep(IDC_ACTION_LIST, m_list);
    b.label(tr("Ac&tions list:"), 8, 68, 36, 8, m_list);

    auto* add =
        keep(IDC_ADD_ACTION, b.button(IDC_ADD_ACTION, tr("&Add new action"), 194, 78, 91, 12));
    add->setEnabled(false);
    auto* remove =
        keep(IDC_REMOVE_ACTION, b.button(IDC_REMOVE_ACTION, tr("&Remove action"), 194, 94, 91, 12));
    auto* properties =
        keep(IDC_PROPERTIES, b.button(IDC_PROPERTIES, tr("Propert&ies"), 194, 111, 91, 12));
    auto* kel = keep(IDC_HOST_KEL, b.radio(IDC_HOST_KEL, QStringLiteral("&KEL"), 194, 14, 33, 10));
    auto* dov = keep(IDC_HOST_DOV, b.radio(IDC_HOST_DOV, QStringLiteral("&DOV"), 194, 24, 32, 10));
    auto* flags = keep(IDC_DLL_FLAGS, b.combo(IDC_DLL_FLAGS, 193, 47, 91, 47));
    flags->setEnabled(false);
    b.label(tr("DLL &Flags:"), 194, 36, 35, 8, flags);

    connect(create, &QPushButton::clicked, this, [this] { m_logic.create(); });
    connect(cancel, &QPushButton::clicked, this, [this] { m_logic.cancel(); });
    connect(browse, &QPushButton::clicked, this, [this] { m_logic.browse(); });
    connect(add, &QPushButton::clicked, this, [this] { m_logic.addAction(); });
    connect(remove, &QPushButton::clicked, this, [this] { m_logic.removeAction(); });
    connect(properties, &QPushButton::clicked, this, [this] { m_logic.editAction(); });
    connect(name, &QLineEdit::textChanged, this, [this] { m_logic.nameChanged(); });
    connect(location, &QLineEdit::textChanged, this, [this] { m_logic.locationChanged(); });
    connect(m_list, &ActionList::leftClicked, this, [this] { m_logic.listClicked(); });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_logic.listSelectionChanged(); });
    connect(m_list, &ActionList::itemOpened, this, [this] { m_logic.listItemOpened(); });
    connect(flags, &QComboBox::editTextChanged, this, [this] { m_logic.dllFlagsEdited(); });
    connect(kel, &QRadioButton::clicked, this, [this] { m_logic.hostChosen(IDC_HOST_KEL); });
    connect(dov, &QRadioButton::clicked, this, [this] { m_logic.hostChosen(IDC_HOST_DOV); });

    // Beside Create, where nothing stood: the dialog's other controls keep their places.
    auto* project =
        keep(IDC_PROJECT_MENU, b.button(IDC_PROJECT_MENU, tr("Proj&ect"), 52, 197, 50, 14));
    buildProjectMenu(project);

    // The preview opens to the right of the controls, which keep their places.
    m_previewToggle = b.button(0, tr("Pre&view"), 7, 197, 40, 14);
    m_previewToggle->setObjectName(QStringLiteral("previewToggle"));
    m_previewToggle->setCheckable(true);
    m_previewToggle->setToolTip(tr("Shows what Create would write, as you type (F8)"));
    m_previewPane = new PreviewPane(this);
    m_previewPane->setGeometry(b.units().rect(393, 6, 300, 205));
    m_previewPane->hide();
    m_closedSize = size();
    m_openSize = QSize(b.units().x(700), m_closedSize.height());
    connect(m_previewToggle, &QPushButton::toggled, this,
            [this](bool open) { setPreviewOpen(open); });
    auto* previewKey = new QShortcut(QKeySequence(Qt::Key_F8), this);
    connect(previewKey, &QShortcut::activated, m_previewToggle, &QPushButton::toggle);
    m_inputWatch = new QFileSystemWatcher(this);
    connect(m_inputWatch, &QFileSystemWatcher::fileChanged, this, [this] { requestPreview(); });
    connect(m_inputWatch, &QFileSystemWatcher::directoryChanged, this,
            [this] { requestPreview(); });

    // Tab follows reading order: the name and where it goes, the host and its flags, the
    // actions and their buttons, then the buttons at the bottom as they read, and the preview.
    QWidget* const order[] = {name,
                              location,
                              browse,
                              kel,
                              dov,
                              flags,
                              m_list,
                              add,
                              remove,
                              properties,
                              project,
                              create,
                              cancel,
                              m_previewToggle,
                              m_previewPane->list(),
                              m_previewPane->diffBox(),
                              m_previewPane->text()};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    // Where the window's system menu cannot take the about entry, F1 and the context menu do.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { m_logic.about(); });
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName(QStringLiteral("contextMenu"));
    QAction* about = m_contextMenu->addAction(aboutEntryText());
    about->setData(IDM_ABOUTBOX);
    connect(about, &QAction::triggered, this, [this] { m_logic.about(); });

    m_logic.initialise();
    // Shown over every control that has no tooltip of its own.
    setToolTip(m_configurationText);
    if (QSettings(QStringLiteral("vantrel"), QStringLiteral("wizard"))
            .value(QStringLiteral("previewOpen"), false)
            .toBool())
        m_previewToggle->setChecked(true);
    // The focus starts where the user starts, shown as a keyboard user sees it: the host until
    // one is chosen, the name after.
    (name->isEnabled() ? static_cast<QWidget*>(name) : kel)->setFocus(Qt::TabFocusReason);
}

MainDialog::~MainDialog() = default;

void MainDialog::reject() {
    if (m_logic.mayClose())
        QDialog::reject();
}

void MainDialog::openAtStart(const QString& path) {
    m_logic.openPath(path.toStdString());
}

void MainDialog::readFoundConfiguration(ProjectState& project, MessageSink& sink) {
    const FoundConfiguration found =
        readStartConfiguration(m_configOption, project, sink, m_configuration);
    if (!found.found) {
        QStringList looked;
        for (const std::string& candidate : found.looked)
            looked << QString::fromStdString(candidate);
        m_configurationText =
            tr("No configuration found (looked for %1): built-in settings").arg(looked.join(", "));
        return;
    }
    const QString path = QFileInfo(QString::fromStdString(found.path)).absoluteFilePath();
    m_configurationText = found.read
                              ? tr("Configuration: %1").arg(path)
                              : tr("Configuration %1 cannot be read: built-in settings").arg(path);
}

QString MainDialog::aboutEntryText() {
    return QString::fromUtf8("Inf&o über Vantrel...");
}

void MainDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Styles draw the focus frame only once the keyboard has moved the focus: the focus given
    // at start is shown so when the window first becomes active.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_focusShown) {
        m_focusShown = true;
        setAttribute(Qt::WA_KeyboardFocusChange);
        if (QWidget* focused = focusWidget())
            focused->update();
    }
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event) {
    // Opened without a nested loop of its own: the entry's action runs the about box.
    m_contextMenu->popup(event->globalPos());
}

QWidget* MainDialog::control(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

std::string MainDialog::editText(int id) const {
    if (auto* edit = qobject_cast<QLineEdit*>(control(id)))
        return edit->text().toStdString();
    return {};
}

void MainDialog::setEditText(int id, const std::string& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control(id)))
        edit->setText(QString::fromStdString(text));
}

void MainDialog::enableControl(int id, bool enabled) {
    if (QWidget* widget = control(id))
        widget->setEnabled(enabled);
}

void MainDialog::setChecked(int id, bool checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(control(id)))
        button->setChecked(checked);
    DialogBuilder::keepOneTabStop(this);
}

bool MainDialog::isChecked(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(control(id));
    return button && button->isChecked();
}

int MainDialog::addComboEntry(int id, const std::string& text) {
    auto* combo = qobject_cast<QComboBox*>(control(id));
    if (!combo)
        return -1;
    // The combo keeps its list sorted: the entry goes in before the first greater one.
    const QString entry = QString::fromStdString(text);
    int position = 0;
    while (position < combo->count() &&
           combo->itemText(position).compare(entry, Qt::CaseInsensitive) <= 0)
        ++position;
    combo->insertItem(position, entry);
    return position;
}

void MainDialog::selectComboEntry(int id, int position) {
    if (auto* combo = qobject_cast<QComboBox*>(control(id)))
        combo->setCurrentIndex(position);
}

int MainDialog::comboSelection(int id) const {
    auto* combo = qobject_cast<QComboBox*>(control(id));
    if (!combo || combo->currentIndex() < 0)
        return -1;
    // Text typed into the field leaves no selected entry.
    if (combo->currentText() != combo->itemText(combo->currentIndex()))
        return -1;
    return combo->currentIndex();
}

std::string MainDialog::comboText(int id) const {
    auto* combo = qobject_cast<QComboBox*>(control(id));
    return combo ? combo->currentText().toStdString() : std::string();
}

void MainDialog::markField(int id, const std::string& problem) {
    if (QWidget* field = control(id))
        showProblem(field, QString::fromStdString(problem));
}

void MainDialog::setControlToolTip(int id, const std::string& text) {
    if (QWidget* widget = control(id))
        widget->setToolTip(QString::fromStdString(text));
}

void MainDialog::focusControl(int id) {
    if (QWidget* widget = control(id))
        widget->setFocus(Qt::OtherFocusReason);
}

void MainDialog::insertListItem(int index, const std::string& text) {
    m_list->insertItem(index, QString::fromStdString(text));
}

void MainDialog::deleteListItem(int index) {
    delete m_list->takeItem(index);
    // The list would move the selection to a neighbour; a removed item leaves none.
    m_list->clearSelection();
}

void MainDialog::setListItemText(int index, const std::string& text) {
    if (QListWidgetItem* item = m_list->item(index))
        item->setText(QString::fromStdString(text));
}

int MainDialog::listItemCount() const {
    return m_list->count();
}

int MainDialog::selectedListItem() const {
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->isSelected())
            return i;
    }
    return -1;
}

void MainDialog::focusListItem(int index) {
    m_list->setFocus(Qt::OtherFocusReason);
    const QModelIndex item = m_list->model()->index(index, 0);
    m_list->selectionModel()->setCurrentIndex(item, QItemSelectionModel::NoUpdate);
}

std::optional<std::string> MainDialog::askFolder() {
    const std::optional<QString> folder = ModalHooks::askDirectory(this);
    if (!folder)
        return std::nullopt;
    return folder->toStdString();
}

void MainDialog::showNameWarnings(int id, const std::vector<std::string>& warnings) {
    QStringList texts;
    for (const std::string& warning : warnings)
        texts.append(QString::fromStdString(warning));
    if (QWidget* field = control(id))
        vantrel::showNameWarnings(field, m_nameWarnings, texts);
}

bool MainDialog::runReview(ReviewModel& review) {
    ReviewDialog dialog(review, this);
    return ModalHooks::runDialog(dialog) == QDialog::Accepted;
}

void MainDialog::showSummary(const SummaryModel& summary) {
    SummaryDialog dialog(summary, this);
    ModalHooks::runDialog(dialog);
    // Create changed the disk under the preview.
    requestPreview();
}

void MainDialog::showMessage(const std::string& message) {
    ModalHooks::showMessage(this, QString::fromStdString(message));
}

void MainDialog::runAbout() {
    AboutDialog dialog(this, m_configurationText);
    ModalHooks::runDialog(dialog);
}

void MainDialog::closeDialog(bool accepted) {
    if (accepted)
        QDialog::accept();
    else
        QDialog::reject();
}

void MainDialog::setTitle(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

#ifdef Q_OS_WIN
void MainDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_systemMenuExtended)
        return;
    m_systemMenuExtended = true;
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    const std::wstring entry = aboutEntryText().toStdWString();
    if (menu && !entry.empty()) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, entry.c_str());
    }
}

bool MainDialog::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    const auto* msg = static_cast<MSG*>(message);
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == IDM_ABOUTBOX) {
        m_logic.about();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

} // namespace vantrel
