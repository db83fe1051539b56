#include "plugin/Vellacord.h"

TVellacord::TVellacord(void* owner) : Owner(owner) {}

TVellacord::~TVellacord() = default;

const char* TVellacord::OpenPlayFile(const char* path) {
    return path;
}
