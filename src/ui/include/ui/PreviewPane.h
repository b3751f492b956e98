#pragma once

#include "wizard/LivePreview.h"

#include <QPlainTextEdit>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QListView;

namespace vantrel {

class PreviewListModel;

// A read-only text whose marked lines have a background: those placeholders went into, or a
// diff's added and removed lines. Only the lines on the screen are looked at when it paints.
class PreviewText : public QPlainTextEdit {
    Q_OBJECT
public:
    enum class Mark { Placeholder, Added, Removed };
    struct MarkedLine {
        std::size_t line;
        Mark mark;
    };

    explicit PreviewText(QWidget* parent = nullptr);

    // Replaces the text, changing only the lines that differ: the view stays where it was.
    void setText(const QString& text);
    // Sorted by line.
    void setMarkedLines(std::vector<MarkedLine> marks);
    const std::vector<MarkedLine>& markedLines() const { return m_marks; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    std::vector<MarkedLine> m_marks;
};

// What Create would write, as the answers stand: every target of the run with what the run
// would do to it, and the selected one's text or its diff against the disk.
class PreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent = nullptr);
    ~PreviewPane() override;

    // What the pane shows, for the next request.
    PreviewRequest::Shown showing() const;
    // Shows a newer preview. The selection and the scroll position stay on the same target
    // and line where they still exist.
    void showPreview(std::shared_ptr<const Preview> preview);
    // While an action's properties are open, the first file of that action is selected as
    // soon as a preview has one; none: the selection is the user's again.
    void followAction(std::optional<std::size_t> action);

    const Preview* preview() const { return m_preview.get(); }
    // The selected target's path; empty when none is selected.
    std::string selectedPath() const;
    void selectPath(const std::string& path);

    QListView* list() const { return m_list; }
    PreviewText* text() const { return m_text; }
    QCheckBox* diffBox() const { return m_diff; }
    // Where the line of the text cursor comes from: template line, section and action.
    QLabel* originLabel() const { return m_origin; }

signals:
    // A preview was shown (its texts included).
    void shown();

private:
    void showSelected();
    void selectRow(int row);
    void showOrigin();

    PreviewListModel* m_model;
    QLabel* m_summary;
    QListView* m_list;
    QCheckBox* m_diff;
    PreviewText* m_text;
    QLabel* m_origin;
    std::shared_ptr<const Preview> m_preview;
    const PreviewTarget* m_textOf = nullptr; // the target whose generated text is shown
    std::optional<std::size_t> m_followed;
};

} // namespace vantrel
