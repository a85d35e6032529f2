// The script entry the host runs on its fibre: start-up, then one pass per frame.
#pragma once

[[noreturn]] void FrameLoop();

// One pass of the frame, without the wait that ends it.
void RunFramePass();

// Every feature as the library holds it when loaded: default settings, no
// weapon seen, no vehicle known, the menu closed. Start-up begins from here,
// and so do tests, fuzz targets and benchmarks that run passes directly.
void ResetPluginState();
