#pragma once

// Readies standard input, output and error before anything is written:
// what a script reads must be the bytes written, and a stream the caller
// closed must fail every write, not reach some file opened later.
void PrepareStandardStreams();
