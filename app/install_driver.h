// The install driver: settles folder, options, group and version questions,
// then runs the silent installation or the wizard.
#pragma once

// 0 when it ran to its end, 1 when the user stopped it. A damaged package ends
// the process with exit code 1 instead of returning.
int RunInstall();
