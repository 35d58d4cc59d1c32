#pragma once

struct CliRun;

// Writes the space at the address, as its folder beneath the application folder and its save
// record hold it, into another program's form: `--to hugo` a folder Hugo builds into a site,
// `--to wxr` a WordPress eXtended RSS file, `--to epub` an EPUB book, at `--out PATH`. Makes no
// request. Reports the path written as the label "export" and what went into it as the labels
// "articles" and "pictures". Returns the exit code: 0 when it was written, 1 when the space
// was never saved, its record cannot be read, PATH cannot take the export or a write failed (a
// message box says which; PATH then holds what it held), 2 with error set on bad usage.
int RunExportCommand(CliRun& run);
