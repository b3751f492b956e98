#pragma once

#include "wizard/ReviewModel.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QSyntaxHighlighter;
class QTreeWidget;

namespace vantrel {

// The review before Create writes over files that would change: every target with its state,
// a tick for each changed file (unticked: it stays as it is), the diff of the selected file,
// "Select all", "Select none", the row action "Never regenerate", Write and Cancel. The choice is
// made in the model; exec() gives Accepted for Write.
class ReviewDialog : public QDialog {
    Q_OBJECT
public:
    ReviewDialog(ReviewModel& model, QWidget* parent = nullptr);

private:
    void refresh();
    void showDiff();
    // The template set's notes of the versions since the last run, in place of a diff.
    void showNotes();
    // Enables and ticks "Never regenerate" for the selected row.
    void showRowAction();
    // Hides the rows that stay as they are while "Only what changes" is ticked.
    void filterRows();

    ReviewModel& m_model;
    QTreeWidget* m_files;
    QCheckBox* m_onlyChanges;
    QAction* m_never;
    QLabel* m_choice;
    QLabel* m_diffCaption;
    QPlainTextEdit* m_diff;
    QSyntaxHighlighter* m_tint;
    bool m_refreshing = false; // the items' own change signals must not echo back
};

} // namespace vantrel
