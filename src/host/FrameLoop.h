// The script entry the host runs on its fibre: start-up, then one pass per frame.
#pragma once

[[noreturn]] void FrameLoop();

// One pass of the frame, without the wait that ends it.
void RunFramePass();
