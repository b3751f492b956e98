#pragma once

#include "wizard/SummaryModel.h"

#include <QDialog>

namespace vantrel {

// What a run did, shown before the wizard closes (or, after a failed run, goes back to the main
// dialog): the counts, the files kept by choice, the messages, the project folder and a button
// that opens it in the desktop's file manager.
class SummaryDialog : public QDialog {
    Q_OBJECT
public:
    SummaryDialog(const SummaryModel& model, QWidget* parent = nullptr);
};

} // namespace vantrel
