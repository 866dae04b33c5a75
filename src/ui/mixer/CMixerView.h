#pragma once

#include <QFont>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class CMixerStrip;
class COrvexView;
class MessageSink;
class QComboBox;
class QScrollBar;

// The mixer: a column of rows, each naming an open sample window in its list and showing that
// sample as a block on a time line shared by every row. Every row but the last is an input; the
// last is the output. Mix averages the inputs, each from where its block starts, into the
// output's sound. The mixer owns no sound: it reads and writes the sounds of sample windows, and
// a row whose window closes simply has no sample any more.
class CMixerView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxRows = 256;
    static constexpr int kMaxSampleWindows = 256;
    static constexpr int kRowHeight = 105;
    // A mix of more frames than this (times the rows) shows the wait cursor.
    static constexpr uint64_t kWaitCursorFrames = 1u << 20;

    // `sampleWindows` lists the open sample windows in the order they were opened.
    CMixerView(MessageSink& messages, std::function<QList<COrvexView*>()> sampleWindows,
               QWidget* parent = nullptr);
    ~CMixerView() override;

    // One input and the output, offering the sample windows open now.
    void OnInitialUpdate();

    bool IsCommandEnabled(int id) const;
    void OnCommand(int id);

    // Inserts an input at the selected row, which it becomes; false at the limit of rows.
    bool AddInput();
    // Removes the selected row; the output and the last input stay (with a message).
    bool RemoveInput();
    // The time line becomes as long as the furthest block end.
    void RemoveEndPadding();
    // Averages the inputs into the output sample; false, with a message when something is
    // missing, when no mix was made.
    bool Mix();

    // Sample windows were opened, closed or retitled: the lists offer the windows open now, and
    // a row whose window went has no sample.
    void RefreshSampleWindows();

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    int SelectedRow() const { return m_nSelectedRow; }
    void SelectRow(int row);
    QComboBox* RowList(int row) const { return m_rows[static_cast<size_t>(row)].list; }
    CMixerStrip* RowStrip(int row) const { return m_rows[static_cast<size_t>(row)].strip; }
    COrvexView* RowWindow(int row) const { return m_rows[static_cast<size_t>(row)].window; }
    // Chooses the list's entry `index` for `row`, as picking it in the list does.
    void ChooseSample(int row, int index);

    QScrollBar* ScrollBar() const { return m_scrollBar; }
    int ScrollPosition() const { return m_nScrollPos; }

signals:
    // Rows were added or removed: which commands may run has changed.
    void CommandsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    struct Row {
        QComboBox* list = nullptr;
        CMixerStrip* strip = nullptr;
        QPointer<COrvexView> window;
    };

    int ClientWidth() const;
    int RowTop(int row) const { return kRowHeight * row + 6 - m_nScrollPos; }
    void PlaceRow(int row);
    void PlaceRows();
    void MakeRow(int at);
    void FillList(QComboBox* list, COrvexView* chosen) const;
    int RowOf(const QObject* child) const;
    void SetTimelineEverywhere(uint32_t frames);
    void UpdateScrollBar();
    void ScrollTo(int position);
    void WatchTitles();

    MessageSink& m_messages;
    std::function<QList<COrvexView*>()> m_listWindows;
    std::vector<Row> m_rows;
    QList<QPointer<COrvexView>> m_sampleWindows;
    int m_nSelectedRow = 0;
    int m_nScrollPos = 0;
    QScrollBar* m_scrollBar = nullptr;
    QFont m_listFont;
};
