// The script entry the host runs on its fibre: start-up, then one pass per frame.
#pragma once

[[noreturn]] void FrameLoop();
