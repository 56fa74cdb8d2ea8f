#include "explorer/CVSplitter.h"

#include <QSplitter>

namespace brindlex {

namespace {

// The pane of the splitter that holds `control`, or -1.
int sideOf(const QSplitter& splitter, const QWidget* control)
{
    for (int i = 0; i < splitter.count(); ++i) {
        const QWidget* side = splitter.widget(i);
        if (side == control || side->isAncestorOf(control)) {
            return i;
        }
    }
    return -1;
}

}  // namespace

CVSplitter::CVSplitter(QSplitter& splitter)
    : m_splitter(splitter)
{
}

int CVSplitter::Create(
    QWidget* container, QWidget* left, QWidget* right, QWidget* leftHeader, QWidget* rightHeader, int /*style*/)
{
    Release();
    if (!left) {
        return 99;
    }
    if (!right) {
        return 98;
    }
    if (!leftHeader) {
        return 97;
    }
    if (!rightHeader) {
        return 96;
    }
    if (!container || !container->isAncestorOf(&m_splitter)) {
        return 95;
    }
    if (sideOf(m_splitter, left) != 0 || sideOf(m_splitter, right) != 1) {
        return 94;
    }
    m_left = left;
    m_right = right;
    m_leftHeader = leftHeader;
    m_rightHeader = rightHeader;
    m_splitter.setChildrenCollapsible(false);
    if (m_splitter.handle(1)) {
        m_splitter.handle(1)->setEnabled(true);
    }
    m_created = true;
    return 0;
}

void CVSplitter::Release()
{
    if (m_splitter.count() > 1 && m_splitter.handle(1)) {
        m_splitter.handle(1)->setEnabled(false);
    }
    m_created = false;
}

int CVSplitter::vBorderPixels() const
{
    return m_splitter.handleWidth();
}

int CVSplitter::leftWidth() const
{
    const QList<int> sizes = m_splitter.sizes();
    return sizes.isEmpty() ? 0 : sizes.front();
}

void CVSplitter::setLeftWidth(int width)
{
    QList<int> sizes = m_splitter.sizes();
    if (sizes.size() < 2 || width <= 0) {
        return;
    }
    const int total = sizes[0] + sizes[1];
    sizes[0] = width;
    sizes[1] = qMax(1, total - width);
    m_splitter.setSizes(sizes);
}

}  // namespace brindlex
