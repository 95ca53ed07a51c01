#pragma once

// What every test executable sets before its application object, unless the environment
// says otherwise, so that a case runs the same by hand as under CTest: widget tests on the
// offscreen platform, and Qt's platform-plugin chatter left out of the output.
void setTestEnvironmentDefaults();
