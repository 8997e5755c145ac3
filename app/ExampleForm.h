// The example form and its records database: where the build or the installation keeps them,
// and the user's own copy that Help > Open Example Form opens.
#pragma once

#include <QString>

// The folder of the example forms: examples/ beside the editor in the build tree, else the one
// installed under the data directory; empty when neither holds the example form.
QString FindExamplesDirectory();

// The user's copy of the example form, in the per-user data directory; its records database
// lies beside it, so that Load from MAIN.IDX works from the copy.
QString GetExampleCopyPath();

// Makes the user's copy ready to open and answers its path. A missing copy, or records database,
// is copied from the examples; a copy with other bytes than the example is the user's work and
// is replaced only when the user says so, keeping it as "<name>~". Empty when there is nothing to
// open: the user cancelled, or was told what failed.
QString PrepareExampleCopy();
