#pragma once

#include <QString>

// The start of a reading page up to its body: UTF-8 declared first, a policy that lets the
// page load nothing but the copy's own files (no script, frame, plugin or address on the
// network: the pages need none, and a saved article's markup may hold any), the title
// (escaped here), the built-in look, then the space's own style sheet when `styleSheet` names
// one, so that the space's look wins. `bodyClass` names the kind of page.
QString PageStart(const QString& title, const QString& styleSheet, const QString& bodyClass);

// The end of a reading page.
QString PageEnd();
