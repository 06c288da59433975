#pragma once
// The log viewer's window: the records of one log file as they arrive, with
// a filter over source and message.

#include "util/LogFile.h"

#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;
class QTableWidget;
class QTimer;

namespace wpe {

class TLogViewer : public QWidget {
    Q_OBJECT
public:
    explicit TLogViewer(const QString& logFile, QWidget* parent = nullptr);

    // Reads what was written since the last look (also run by a timer).
    void Refresh();
    int ShownRows() const;

private:
    void applyFilter();
    void addRow(const TLogRecord& record);

    TLogTail tail_;
    std::vector<TLogRecord> records_;
    QLineEdit* filter_;
    QTableWidget* table_;
    QLabel* status_;
    QTimer* timer_;
    QString file_;
};

} // namespace wpe
