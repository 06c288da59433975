#include "LogViewer.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace wpe {

namespace {

// The newest records are enough to watch a server; older ones stay in the file.
constexpr std::size_t kMaxRecords = 20000;

} // namespace

TLogViewer::TLogViewer(const QString& logFile, QWidget* parent)
    : QWidget(parent), tail_(logFile.toStdString()), file_(logFile)
{
    setObjectName("LogViewer");
    setWindowTitle("Log Viewer - " + logFile);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Filter:", this));
    filter_ = new QLineEdit(this);
    filter_->setObjectName("edtFilter");
    filter_->setPlaceholderText("text in the source or message");
    filter_->setClearButtonEnabled(true);
    top->addWidget(filter_);
    layout->addLayout(top);
    table_ = new QTableWidget(0, 3, this);
    table_->setObjectName("LogTable");
    table_->setHorizontalHeaderLabels({"Time (UTC)", "Source", "Message"});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setColumnWidth(0, 180);
    table_->setColumnWidth(1, 100);
    layout->addWidget(table_);
    status_ = new QLabel(this);
    layout->addWidget(status_);
    connect(filter_, &QLineEdit::textChanged, this, &TLogViewer::applyFilter);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &TLogViewer::Refresh);
    timer_->start(500);
    resize(900, 500);
    Refresh();
}

void TLogViewer::addRow(const TLogRecord& record)
{
    const int row = table_->rowCount();
    table_->insertRow(row);
    table_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(record.time)));
    table_->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(record.source)));
    table_->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(record.message)));
}

void TLogViewer::Refresh()
{
    const std::vector<TLogRecord> fresh = tail_.Poll();
    const std::string filter = filter_->text().toStdString();
    const bool atEnd = table_->verticalScrollBar() == nullptr ||
                       table_->verticalScrollBar()->value() == table_->verticalScrollBar()->maximum();
    for (const TLogRecord& record : fresh) {
        records_.push_back(record);
        if (LogRecordMatches(record, filter))
            addRow(record);
    }
    if (records_.size() > kMaxRecords) {
        records_.erase(records_.begin(), records_.begin() + static_cast<long>(records_.size() - kMaxRecords));
        applyFilter();
    }
    if (!fresh.empty() && atEnd)
        table_->scrollToBottom();
    status_->setText(QFileInfo::exists(file_) ? QString("%1 of %2 records shown").arg(ShownRows()).arg(records_.size())
                                              : "Waiting for " + file_ + " to be written...");
}

void TLogViewer::applyFilter()
{
    const std::string filter = filter_->text().toStdString();
    table_->setRowCount(0);
    for (const TLogRecord& record : records_)
        if (LogRecordMatches(record, filter))
            addRow(record);
    table_->scrollToBottom();
    status_->setText(QString("%1 of %2 records shown").arg(ShownRows()).arg(records_.size()));
}

int TLogViewer::ShownRows() const
{
    return table_->rowCount();
}

} // namespace wpe
