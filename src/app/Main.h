#pragma once

// The program's entry: builds the application and the platform services and shows the main
// window. Returns the process exit code.
int Main(int argc, char** argv);
