// The fault-injection hook's side inside the seam (files.h has the test's
// side): each primitive asks before it starts whether it is to fail.
#pragma once

namespace plat {

// Counts the operation now starting; true when it is to fail. Operations
// inside a compound one are neither counted nor failed.
bool file_operation_fails();

// Held by a primitive built on other primitives (a copy made of opens,
// reads and writes), so that it counts as one operation, as on Windows.
struct CompoundFileOperation {
  CompoundFileOperation();
  ~CompoundFileOperation();
};

}  // namespace plat
