// The native tool's "a" command: creates an archive of -lh5- members with
// level 2 headers from the files named on the command line.
#pragma once

// argv[0] is "a", argv[1] the archive, the rest the files to store.
// Returns the tool's exit code (0 when the archive was written).
int run_create_command(int argc, char** argv);
