// The stop of a checked build at a subscript outside its table.
#include "runio/tables.h"

#include <cstdio>
#include <cstdlib>

namespace runio {

void indexfault(long long index, std::size_t size)
{
    // Not through bomb: the run state is already wrong, and the debugger or
    // the sanitizer's report should show the line that made the subscript.
    std::fprintf(stderr, "table subscript %lld outside 0..%zu\n", index, size == 0 ? 0 : size - 1);
    std::abort();
}

}  // namespace runio
