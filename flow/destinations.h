// The five destinations of the main dialog: radio buttons 181-185 by index,
// each naming one classification file by its destination code.
#pragma once

namespace flow {

constexpr int kDestinationCount = 5;

// Index 0-4 gives 0, 2, 3, 4 or 10; any other index keeps `current`.
int destination_code_for_index(int index, int current);

// Code 2, 3, 4, 10 gives 1, 2, 3, 4; every other code gives 0.
int destination_index(int code);

}  // namespace flow
