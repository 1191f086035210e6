#include "data/Config.h"

TConfig *Config = nullptr;

TConfig::TConfig()
{
    // The default names go through the locale once it is loaded.
    for (THighScore &entry : HighScores)
        entry = {"Anonymous", "0"};
}
