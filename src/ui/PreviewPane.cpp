#include "ui/PreviewPane.h"

#include <QAbstractListModel>
#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace vantrel {

// The targets of the shown preview, one row each, as the dry run lists them.
class PreviewListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setPreview(const Preview* preview) {
        beginResetModel();
        m_preview = preview;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() || !m_preview ? 0 : static_cast<int>(m_preview->targets.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!m_preview || index.row() < 0 ||
            static_cast<std::size_t>(index.row()) >= m_preview->targets.size())
            return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return QString::fromStdString(m_preview->targets[index.row()].line);
        return {};
    }

private:
    const Preview* m_preview = nullptr;
};

namespace {

// What the pane says of a target that has no text to show.
QString sentenceFor(const PreviewTarget& target) {
    if (target.folder)
        return QObject::tr("A folder.");
    if (target.copy)
        return QObject::tr("A file of the development kit, copied as it is.");
    switch (target.state) {
    case TargetState::NoLongerGenerated:
        return QObject::tr("No longer generated: Create leaves it as it is.");
    case TargetState::DeletedByYou:
        return QObject::tr("Deleted by you: Create does not write it again.");
    case TargetState::Blocked:
        return QObject::tr("Something that is no file stands in its place: Create cannot write "
                           "it.");
    case TargetState::Refused:
        return QObject::tr("Create cannot write it.");
    case TargetState::Yours:
        return QObject::tr("Yours: Create never writes it.");
    default:
        return {};
    }
}

// "12 files and folders: 3 new, 2 merged"; the run's first message after it.
QString summaryOf(const Preview& preview) {
    std::map<std::string, int> counts;
    std::vector<std::string> order;
    for (const PreviewTarget& target : preview.targets) {
        const std::string label(targetStateLabel(target.state));
        if (counts[label]++ == 0)
            order.push_back(label);
    }
    QStringList parts;
    for (const std::string& label : order)
        parts << QStringLiteral("%1 %2").arg(counts[label]).arg(QString::fromStdString(label));
    QString text = preview.targets.size() == 1
                       ? QObject::tr("1 target")
                       : QObject::tr("%1 targets").arg(preview.targets.size());
    if (!parts.isEmpty())
        text += QStringLiteral(": ") + parts.join(QStringLiteral(", "));
    if (!preview.templates.empty())
        text += QObject::tr("\nTemplates: %1").arg(QString::fromStdString(preview.templates));
    if (!preview.messages.empty())
        text += QStringLiteral("\n") + QString::fromStdString(preview.messages.front());
    return text;
}

} // namespace

PreviewText::PreviewText(QWidget* parent)
    : QPlainTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    // A keyboard user moves through the lines with a cursor, as in any read-only text.
    setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setStyleHint(QFont::Monospace);
    setFont(mono);
}

void PreviewText::setText(const QString& text) {
    if (text == m_text)
        return;
    if (m_text.isEmpty() || text.isEmpty()) {
        setPlainText(text);
        m_text = text;
        return;
    }
    // Only the lines between those both texts begin and end with are replaced, so that a
    // long file costs what changed and the view does not jump.
    const qsizetype shorter = std::min(m_text.size(), text.size());
    qsizetype prefix = 0;
    while (prefix < shorter && m_text[prefix] == text[prefix])
        ++prefix;
    prefix = prefix == 0 ? 0 : m_text.lastIndexOf(QLatin1Char('\n'), prefix - 1) + 1;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           m_text[m_text.size() - 1 - suffix] == text[text.size() - 1 - suffix])
        ++suffix;
    const auto lineStart = [prefix, &suffix](const QString& in) {
        const qsizetype at = in.size() - suffix;
        return at == prefix || in[at - 1] == QLatin1Char('\n');
    };
    while (suffix > 0 && !(lineStart(m_text) && lineStart(text)))
        --suffix;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.setPosition(static_cast<int>(prefix));
    cursor.setPosition(static_cast<int>(m_text.size() - suffix), QTextCursor::KeepAnchor);
    cursor.insertText(text.mid(prefix, text.size() - suffix - prefix));
    cursor.endEditBlock();
    m_text = text;
}

void PreviewText::setMarkedLines(std::vector<MarkedLine> marks) {
    m_marks = std::move(marks);
    viewport()->update();
}

void PreviewText::paintEvent(QPaintEvent* event) {
    if (!m_marks.empty()) {
        QPainter painter(viewport());
        const QPointF offset = contentOffset();
        const int bottom = viewport()->rect().bottom();
        for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
            const QRectF box = blockBoundingGeometry(block).translated(offset);
            if (box.top() > bottom)
                break;
            const auto line = static_cast<std::size_t>(block.blockNumber());
            const auto it = std::lower_bound(
                m_marks.begin(), m_marks.end(), line,
                [](const MarkedLine& mark, std::size_t wanted) { return mark.line < wanted; });
            if (it == m_marks.end() || it->line != line)
                continue;
            const QColor colour = it->mark == Mark::Placeholder ? QColor(255, 240, 170)
                                  : it->mark == Mark::Added     ? QColor(215, 245, 215)
                                                                : QColor(250, 220, 220);
            painter.fillRect(QRectF(0, box.top(), viewport()->width(), box.height()), colour);
        }
    }
    QPlainTextEdit::paintEvent(event);
}

PreviewPane::PreviewPane(QWidget* parent)
    : QWidget(parent)
    , m_model(new PreviewListModel(this))
    , m_summary(new QLabel(this))
    , m_list(new QListView(this))
    , m_diff(new QCheckBox(tr("Diff a&gainst the disk"), this))
    , m_text(new PreviewText(this))
    , m_origin(new QLabel(this)) {
    setObjectName(QStringLiteral("previewPane"));
    m_summary->setObjectName(QStringLiteral("previewSummary"));
    m_summary->setWordWrap(true);
    m_list->setObjectName(QStringLiteral("previewList"));
    m_list->setAccessibleName(tr("Files Create would write"));
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setModel(m_model);
    m_diff->setObjectName(QStringLiteral("previewDiff"));
    m_diff->setChecked(true);
    m_diff->setToolTip(tr("Shows a changed file's diff against the file on the disk, instead of "
                          "its whole new text"));
    m_text->setObjectName(QStringLiteral("previewText"));
    m_text->setAccessibleName(tr("Text of the selected file"));
    m_text->setAccessibleDescription(
        tr("Read-only; shaded lines took a placeholder's value, or are a diff's changes"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 2);
    layout->addWidget(m_diff);
    layout->addWidget(m_text, 3);
    layout->addWidget(m_origin);
    m_origin->setObjectName(QStringLiteral("previewOrigin"));
    m_origin->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(m_text, &QPlainTextEdit::cursorPositionChanged, this, [this] { showOrigin(); });

    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { showSelected(); });
    connect(m_diff, &QCheckBox::toggled, this, [this] { showSelected(); });
}

PreviewPane::~PreviewPane() = default;

std::string PreviewPane::selectedPath() const {
    const int row = m_list->currentIndex().row();
    if (!m_preview || row < 0 || static_cast<std::size_t>(row) >= m_preview->targets.size())
        return {};
    return m_preview->targets[static_cast<std::size_t>(row)].path;
}

PreviewRequest::Shown PreviewPane::showing() const {
    const int row = m_list->currentIndex().row();
    return {selectedPath(), row >= 0 ? std::optional<std::size_t>(row) : std::nullopt, m_followed};
}

void PreviewPane::selectPath(const std::string& path) {
    if (!m_preview)
        return;
    const auto& targets = m_preview->targets;
    const auto it = std::find_if(targets.begin(), targets.end(),
                                 [&path](const PreviewTarget& t) { return t.path == path; });
    if (it != targets.end())
        selectRow(static_cast<int>(it - targets.begin()));
}

void PreviewPane::selectRow(int row) {
    const QModelIndex index = m_model->index(row, 0);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(index);
}

void PreviewPane::followAction(std::optional<std::size_t> action) {
    m_followed = action;
    if (m_followed && m_preview)
        if (const std::optional<std::size_t> row = m_preview->firstTargetOf(*m_followed))
            selectRow(static_cast<int>(*row));
}

void PreviewPane::showPreview(std::shared_ptr<const Preview> preview) {
    const PreviewRequest::Shown before = showing();
    const int listScroll = m_list->verticalScrollBar()->value();
    // The old preview stays alive until the model no longer shows it.
    const std::shared_ptr<const Preview> old = std::exchange(m_preview, std::move(preview));
    {
        const QSignalBlocker quiet(m_list->selectionModel());
        m_model->setPreview(m_preview.get());
    }
    m_list->verticalScrollBar()->setValue(listScroll);
    m_summary->setText(summaryOf(*m_preview));
    const std::optional<std::size_t> row = m_preview->rowToShow(before);
    if (row) {
        const QSignalBlocker quiet(m_list->selectionModel());
        const QModelIndex index = m_model->index(static_cast<int>(*row), 0);
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        if (m_followed || m_preview->targets[*row].path != before.path)
            m_list->scrollTo(index);
    }
    showSelected();
    emit shown();
}

void PreviewPane::showSelected() {
    const int row = m_list->currentIndex().row();
    if (!m_preview || row < 0 || static_cast<std::size_t>(row) >= m_preview->targets.size()) {
        m_textOf = nullptr;
        m_text->setText(QString());
        m_text->setMarkedLines({});
        showOrigin();
        return;
    }
    const PreviewTarget& target = m_preview->targets[static_cast<std::size_t>(row)];
    m_textOf = nullptr;
    std::vector<PreviewText::MarkedLine> marks;
    const bool changes = target.before && target.after && *target.before != *target.after;
    if (m_diff->isChecked() && changes) {
        const std::string diff = target.diff();
        std::size_t line = 0;
        for (std::size_t at = 0; at < diff.size(); at = diff.find('\n', at) + 1, ++line) {
            const std::string_view text = std::string_view(diff).substr(at, 4);
            if (text.starts_with("+") && !text.starts_with("+++ "))
                marks.push_back({line, PreviewText::Mark::Added});
            else if (text.starts_with("-") && !text.starts_with("--- "))
                marks.push_back({line, PreviewText::Mark::Removed});
            if (diff.find('\n', at) == std::string::npos)
                break;
        }
        m_text->setText(QString::fromStdString(diff));
    } else if (target.after) {
        for (const std::size_t line : target.placeholderLines())
            marks.push_back({line, PreviewText::Mark::Placeholder});
        m_textOf = target.origin ? &target : nullptr;
        m_text->setText(QString::fromStdString(*target.after));
    } else {
        m_text->setText(sentenceFor(target));
    }
    m_text->setMarkedLines(std::move(marks));
    showOrigin();
}

void PreviewPane::showOrigin() {
    const auto line = static_cast<std::size_t>(m_text->textCursor().blockNumber());
    if (!m_textOf || line >= m_textOf->origin->lines.size()) {
        m_origin->clear();
        return;
    }
    m_origin->setText(tr("Line %1 from %2")
                          .arg(line + 1)
                          .arg(QString::fromStdString(describeOrigin(*m_textOf->origin, line, {},
                                                                     m_preview->actionNames))));
}

} // namespace vantrel
