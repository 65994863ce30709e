#include "platform/linux/encoding/placement.h"

#include <algorithm>

namespace {

// The first cell and the extent along one axis.
void PlaceAxis(int view, int terminal, int& first, int& extent) {
    const int room = std::max(terminal, 0);
    first = std::max(0, (room - view) / 2);
    extent = std::min(view, room);
}

} // namespace

TerminalSize SmallestTerminal(int viewColumns, int viewRows) {
    return {viewColumns, (viewRows + 1) / 2};
}

Layout ChooseLayout(int viewColumns, int viewRows, TerminalSize terminal, bool halfBlocks) {
    const TerminalSize smallest = SmallestTerminal(viewColumns, viewRows);
    if (terminal.columns < smallest.columns || terminal.rows < smallest.rows) {
        return Layout::Notice;
    }
    return terminal.rows >= viewRows || !halfBlocks ? Layout::Cells : Layout::HalfBlocks;
}

Placement PlaceView(int viewColumns, int viewRows, TerminalSize terminal, Layout layout) {
    Placement placement = {terminal, 0, 0, 0, 0, layout};
    PlaceAxis(viewColumns, terminal.columns, placement.left, placement.columns);
    PlaceAxis(viewRows, terminal.rows, placement.top, placement.rows);
    return placement;
}
