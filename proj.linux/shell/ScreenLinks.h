#pragma once
// Tells the screens how to open the screens and panels that live in other folders: the
// patient list reaches the study list, the send, share and search panels, the account panel
// and the feedback page through it.

/// Installs every link; main thread, before the first scene runs.
void installScreenLinks();
