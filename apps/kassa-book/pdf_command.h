// The command line `kassa-book --pdf OUT.pdf BOOK SHEET`: writes one sheet
// of a book, as the file holds it (the book's macros do not run, nothing
// reaches the database), into a PDF file laid out as the window prints it.
// Needs no display.
#pragma once

namespace kassa::book {

// True when the arguments ask for the PDF command.
bool IsPdfCommand(int argc, char** argv);

// Runs it; returns the exit status: 0 done, 1 a book, sheet or file failure
// (told on standard error), 2 wrong arguments (the usage told).
int RunPdfCommand(int argc, char** argv);

}  // namespace kassa::book
