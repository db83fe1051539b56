// The single plug-in object: owns the host link, the converter bindings, the cache and the
// settings dialog.
#pragma once

class TVellacord {
  public:
    explicit TVellacord(void* owner);
    ~TVellacord();
    TVellacord(const TVellacord&) = delete;
    TVellacord& operator=(const TVellacord&) = delete;

    // The path the host is to open in place of `path`; points into the plug-in's storage or is
    // `path` itself.
    const char* OpenPlayFile(const char* path);

  private:
    void* Owner;
};
