#include "platform/linux/placement.h"

#include <algorithm>

namespace {

// The first cell and the extent along one axis.
void PlaceAxis(int view, int terminal, int& first, int& extent) {
    const int room = std::max(terminal, 0);
    first = std::max(0, (room - view) / 2);
    extent = std::min(view, room);
}

} // namespace

Placement PlaceView(int viewColumns, int viewRows, TerminalSize terminal) {
    Placement placement = {terminal, 0, 0, 0, 0};
    PlaceAxis(viewColumns, terminal.columns, placement.left, placement.columns);
    PlaceAxis(viewRows, terminal.rows, placement.top, placement.rows);
    return placement;
}
