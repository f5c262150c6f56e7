// The file the test suites' precompiled headers are built with.
