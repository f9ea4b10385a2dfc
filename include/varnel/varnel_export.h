/* Symbol visibility of the public interface. The library is built with
 * hidden visibility; only what carries VARNEL_API is exported. */
#ifndef VARNEL_EXPORT_H
#define VARNEL_EXPORT_H

#if defined(__GNUC__) || defined(__clang__)
#define VARNEL_API __attribute__((visibility("default")))
#else
#define VARNEL_API
#endif

#endif
