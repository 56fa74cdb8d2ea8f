#pragma once

class QSplitter;
class QWidget;

namespace brindlex {

// The draggable split between the folder tree and the contents list. The two panes (each
// with its header bar above it) sit in a QSplitter; Create makes the split draggable and
// Release ends that, as in single-pane mode.
class CVSplitter
{
public:
    explicit CVSplitter(QSplitter& splitter);

    // Takes the controls one by one. Returns 0, or the failure code: 99 the left control
    // is missing, 98 the right control, 97 the left header, 96 the right header, 95 the
    // container, 94 the controls are not the two sides of the split.
    int Create(QWidget* container, QWidget* left, QWidget* right, QWidget* leftHeader, QWidget* rightHeader, int style);
    // Ends the split; a drag in progress is cancelled.
    void Release();
    bool isCreated() const { return m_created; }

    QWidget* vLeftControl() const { return m_left; }
    QWidget* vRightControl() const { return m_right; }
    QWidget* vLeftControl1() const { return m_leftHeader; }
    QWidget* vRightControl1() const { return m_rightHeader; }
    // The gap between the panes, in pixels.
    int vBorderPixels() const;

    // Width of the left side, in pixels; setting it moves the split (the right side keeps
    // its right edge).
    int leftWidth() const;
    void setLeftWidth(int width);

private:
    QSplitter& m_splitter;
    QWidget* m_left = nullptr;
    QWidget* m_right = nullptr;
    QWidget* m_leftHeader = nullptr;
    QWidget* m_rightHeader = nullptr;
    bool m_created = false;
};

}  // namespace brindlex
