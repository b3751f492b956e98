#include "ui/ReviewDialog.h"

#include "ui/DialogUnits.h"
#include "ui/ModalHooks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QSyntaxHighlighter>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vantrel {
namespace {

// Tints the lines of a unified diff: yours taken out, the new ones put in, the hunk headers.
class DiffTint : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

protected:
    void highlightBlock(const QString& text) override {
        QColor tint;
        if (text.startsWith(QLatin1Char('-')))
            tint = QColor(255, 220, 220);
        else if (text.startsWith(QLatin1Char('+')))
            tint = QColor(215, 245, 215);
        else if (text.startsWith(QLatin1String("@@")))
            tint = QColor(225, 230, 245);
        else
            return;
        QTextCharFormat format;
        format.setBackground(tint);
        format.setForeground(Qt::black);
        setFormat(0, int(text.size()), format);
    }
};

} // namespace

ReviewDialog::ReviewDialog(ReviewModel& model, QWidget* parent)
    : QDialog(parent)
    , m_model(model) {
    setWindowTitle(tr("Review the files Create would change"));
    setObjectName(QStringLiteral("reviewDialog"));
    setFont(DialogUnits::dialogFont());
    const DialogUnits units(font());

    auto* intro = new QLabel(
        tr("Create would write over files that exist already and differ from the new project's, "
           "or finds files it no longer makes. Tick the ones to replace or delete; the files left "
           "unticked stay as they are. Everything else is done as listed. \"Never regenerate\" "
           "keeps the selected file as it is for good: no later run writes or merges it."),
        this);
    intro->setWordWrap(true);

    m_files = new QTreeWidget(this);
    m_files->setObjectName(QStringLiteral("reviewFiles"));
    m_files->setColumnCount(3);
    m_files->setHeaderLabels({tr("File"), tr("What Create does"), tr("A conflict goes")});
    m_files->setRootIsDecorated(false);
    m_files->setUniformRowHeights(true);
    m_files->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const ReviewModel::Entry& entry : m_model.entries()) {
        auto* item = new QTreeWidgetItem(m_files, {QString::fromStdString(entry.key)});
        // A file no longer generated has no path of this run: its key says where it is.
        item->setToolTip(
            0, QString::fromStdString(entry.paths.empty() ? entry.key : entry.paths.front()));
    }
    // A conflict row left unticked: where the new text goes, beside the file or into it.
    for (std::size_t row = 0; row < m_model.size(); ++row) {
        if (!m_model.offersConflictStyles(row))
            continue;
        auto* styles = new QComboBox(m_files);
        styles->setObjectName(QStringLiteral("conflictStyle%1").arg(row));
        styles->addItem(tr("beside it, as FILE.vantrel-new"), int(ConflictStyle::Beside));
        styles->addItem(tr("into it, between conflict markers"), int(ConflictStyle::Markers));
        styles->addItem(tr("into it and into git's index"), int(ConflictStyle::Git));
        m_files->setItemWidget(m_files->topLevelItem(static_cast<int>(row)), 2, styles);
        connect(styles, &QComboBox::currentIndexChanged, this, [this, styles, row] {
            m_model.setConflictStyle(row, ConflictStyle(styles->currentData().toInt()));
            refresh();
        });
    }
    m_files->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_files->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_files->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_files->header()->setStretchLastSection(false);

    // A long list hides what stays as it is, so that the few changes are not lost among it.
    m_onlyChanges = new QCheckBox(tr("&Only what changes"), this);
    m_onlyChanges->setObjectName(QStringLiteral("onlyChanges"));
    m_onlyChanges->setChecked(m_model.size() > ReviewModel::LONG_LIST);

    auto* selectAll = new QPushButton(tr("Select &all"), this);
    selectAll->setObjectName(QStringLiteral("selectAll"));
    auto* selectNone = new QPushButton(tr("Select &none"), this);
    selectNone->setObjectName(QStringLiteral("selectNone"));
    // A row action: the selected file made the user's, never written or merged again.
    m_never = new QAction(tr("Never &regenerate"), this);
    m_never->setObjectName(QStringLiteral("neverRegenerate"));
    m_never->setCheckable(true);
    m_never->setToolTip(tr("Keep the selected file as it is and record it as yours: no run "
                           "writes or merges it again"));
    m_files->addAction(m_never);
    m_files->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* neverButton = new QToolButton(this);
    neverButton->setObjectName(QStringLiteral("neverRegenerateButton"));
    neverButton->setDefaultAction(m_never);
    neverButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_choice = new QLabel(this);
    m_choice->setObjectName(QStringLiteral("reviewChoice"));
    m_choice->setWordWrap(true);
    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(selectAll);
    choiceRow->addWidget(selectNone);
    choiceRow->addWidget(neverButton);
    choiceRow->addWidget(m_choice, 1);

    auto* filesPane = new QWidget(this);
    auto* filesLayout = new QVBoxLayout(filesPane);
    filesLayout->setContentsMargins(0, 0, 0, 0);
    filesLayout->addWidget(m_onlyChanges);
    filesLayout->addWidget(m_files);
    filesLayout->addLayout(choiceRow);

    auto* diffPane = new QWidget(this);
    auto* diffLayout = new QVBoxLayout(diffPane);
    diffLayout->setContentsMargins(0, 0, 0, 0);
    m_diffCaption = new QLabel(this);
    m_diffCaption->setObjectName(QStringLiteral("reviewDiffCaption"));
    m_diff = new QPlainTextEdit(this);
    m_diff->setObjectName(QStringLiteral("reviewDiff"));
    m_diff->setReadOnly(true);
    m_diff->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Lines of code line up only in a fixed-pitch font, whatever the system names as its own.
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setStyleHint(QFont::Monospace);
    mono.setFixedPitch(true);
    m_diff->setFont(mono);
    m_tint = new DiffTint(m_diff->document());
    diffLayout->addWidget(m_diffCaption);
    diffLayout->addWidget(m_diff);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(filesPane);
    splitter->addWidget(diffPane);
    // The list of files takes the larger part: it is what the user goes through.
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* write = buttons->addButton(tr("&Write"), QDialogButtonBox::AcceptRole);
    write->setObjectName(QStringLiteral("write"));
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancel"));
    for (QPushButton* button : {selectAll, selectNone, cancel})
        button->setAutoDefault(false);
    write->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    // A new version of the template set: which, and what its author says changed.
    if (const std::string templates = m_model.templatesText(); !templates.empty()) {
        auto* label = new QLabel(QString::fromStdString(templates), this);
        label->setObjectName(QStringLiteral("reviewTemplates"));
        label->setWordWrap(true);
        auto* notes = new QPushButton(tr("Upgrade &notes"), this);
        notes->setObjectName(QStringLiteral("templateNotes"));
        notes->setAutoDefault(false);
        notes->setEnabled(!m_model.notesText().empty());
        connect(notes, &QPushButton::clicked, this, &ReviewDialog::showNotes);
        auto* row = new QHBoxLayout;
        row->addWidget(label, 1);
        row->addWidget(notes);
        layout->addLayout(row);
    }
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);
    // Room for a source line of a hundred characters in the diff.
    const int diffWidth = QFontMetrics(m_diff->font()).horizontalAdvance(QString(100, 'x'));
    resize(std::max(units.x(400), diffWidth + units.x(30)), units.y(400));

    connect(m_files, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (m_refreshing || column != 0)
            return;
        const auto row = static_cast<std::size_t>(m_files->indexOfTopLevelItem(item));
        m_model.setChecked(row, item->checkState(0) == Qt::Checked);
        refresh();
    });
    connect(m_files, &QTreeWidget::currentItemChanged, this, [this] {
        showDiff();
        showRowAction();
    });
    connect(m_never, &QAction::triggered, this, [this](bool never) {
        const int row = m_files->indexOfTopLevelItem(m_files->currentItem());
        if (row < 0)
            return;
        m_model.setNeverRegenerate(static_cast<std::size_t>(row), never);
        refresh();
        showDiff();
    });
    connect(m_onlyChanges, &QCheckBox::toggled, this, [this] { filterRows(); });
    connect(selectAll, &QPushButton::clicked, this, [this] {
        m_model.selectAll();
        refresh();
    });
    connect(selectNone, &QPushButton::clicked, this, [this] {
        m_model.selectNone();
        refresh();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    refresh();
    filterRows();
    // The first changed file is what the user came to see.
    for (std::size_t row = 0; row < m_model.size(); ++row) {
        if (m_model.isCheckable(row)) {
            m_files->setCurrentItem(m_files->topLevelItem(static_cast<int>(row)));
            break;
        }
    }
    showDiff();
    showRowAction();
    m_files->setFocus();
}

void ReviewDialog::showRowAction() {
    const int row = m_files->indexOfTopLevelItem(m_files->currentItem());
    const auto index = static_cast<std::size_t>(row);
    m_never->setEnabled(row >= 0 && m_model.mayNeverRegenerate(index));
    m_never->setChecked(row >= 0 && m_model.neverRegenerates(index));
}

void ReviewDialog::refresh() {
    m_refreshing = true;
    for (std::size_t row = 0; row < m_model.size(); ++row) {
        QTreeWidgetItem* item = m_files->topLevelItem(static_cast<int>(row));
        if (m_model.isCheckable(row)) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, m_model.isChecked(row) ? Qt::Checked : Qt::Unchecked);
        } else {
            // No choice left (a file made the user's among them): no box to tick.
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
            item->setData(0, Qt::CheckStateRole, QVariant());
        }
        item->setText(1, QString::fromStdString(m_model.stateText(row)));
        // Ticked, the row writes the new text: there is no conflict to put anywhere.
        if (QWidget* styles = m_files->itemWidget(item, 2))
            styles->setEnabled(!m_model.isChecked(row));
    }
    m_choice->setText(QString::fromStdString(m_model.choiceText()));
    m_refreshing = false;
}

void ReviewDialog::filterRows() {
    const bool only = m_onlyChanges->isChecked();
    for (std::size_t row = 0; row < m_model.size(); ++row)
        m_files->topLevelItem(static_cast<int>(row))->setHidden(only && m_model.isUnchanged(row));
}

void ReviewDialog::showNotes() {
    m_files->setCurrentItem(nullptr);
    // Notes are no diff: a list item's "- " is no removed line.
    m_tint->setDocument(nullptr);
    m_diffCaption->setText(tr("What changed in the templates since the project was generated"));
    m_diff->setPlainText(QString::fromStdString(m_model.notesText()));
}

void ReviewDialog::showDiff() {
    if (!m_tint->document())
        m_tint->setDocument(m_diff->document());
    const int row = m_files->indexOfTopLevelItem(m_files->currentItem());
    if (row < 0) {
        m_diffCaption->setText(tr("Select a file to see what would change in it."));
        m_diff->clear();
        return;
    }
    const auto index = static_cast<std::size_t>(row);
    const QString key = QString::fromStdString(m_model.entries()[index].key);
    m_diffCaption->setText(
        m_model.hasDiff(index) ? tr("%1: yours (-) against the new one (+)").arg(key) : key);
    m_diff->setPlainText(QString::fromStdString(m_model.diffText(index)));
}

} // namespace vantrel
