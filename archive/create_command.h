// The native tool's "a" command: creates an archive of -lh5- members (or
// -lh6-, -lh7- on request) with level 2 headers from the files named on the
// command line. A member that would not shrink is stored as -lh0-.
#pragma once

// argv[0] is "a", then an optional method (-lh5, -lh6, -lh7), the archive,
// and the files to store under their bare names. Returns the tool's exit
// code: 0 when the archive was written, 1 when a file could not be read or
// the archive written (no archive is left then, and an existing one stays
// as it was), 2 for a usage error.
int run_create_command(int argc, char** argv);
