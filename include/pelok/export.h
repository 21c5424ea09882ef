// Export macros for the module's C entry points.
#ifndef PELOK_EXPORT_H_
#define PELOK_EXPORT_H_

#if defined(_WIN32)
#define PELOK_EXPORT __declspec(dllexport)
#else
#define PELOK_EXPORT __attribute__((visibility("default")))
#endif

#endif  // PELOK_EXPORT_H_
