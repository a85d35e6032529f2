#include "config/Config.h"

constinit ConfigRecord Config = DefaultConfig;
