// Compiles the tests' shared precompiled header; it holds no code of its own.
