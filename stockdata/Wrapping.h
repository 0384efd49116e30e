#pragma once

#include <algorithm>

// The rule every search of the list keeps: it goes on from a row to the end
// and then wraps to the top, so that a search from anywhere finds a match
// wherever it is. `findIn(from, to)` answers the first match in rows [from,
// to), -1 for none, or another negative answer of its own (an index not
// ready), which is passed on. A `start` outside [0, count] counts as 0.
template <class FindIn>
int FindWrapping(FindIn findIn, int start, int count)
{
    if (start < 0 || start > count)
        start = 0;
    if (const int found = findIn(start, count); found != -1 || start == 0)
        return found;
    return findIn(0, start);
}
