#include "engine/engine_context.h"

#include "engine/entries.h"

#include <cstdio>
#include <cstring>

void engine_context_init(engine_context *ctx)
{
    if (ctx)
        std::memset(ctx, 0, sizeof(*ctx));
}

void engine_context_set_error(engine_context *ctx, const char *text)
{
    if (!ctx)
        return;
    std::snprintf(ctx->last_error, sizeof ctx->last_error, "%s", text ? text : "");
}

void engine_context_notice(engine_context *ctx, const char *text)
{
    if (ctx && ctx->notice && text)
        ctx->notice(ctx->notice_user, text);
}

scan_prefs *engine_context_scan_prefs(engine_context *ctx)
{
    if (!ctx)
        return nullptr;
    if (!ctx->scan_prefs_loaded) {
        set_default_scan_prefs(&ctx->prefs);
        read_scan_prefs(&ctx->prefs, ctx->scan_prefs_path ? ctx->scan_prefs_path : "ScanPrefs");
        ctx->scan_prefs_loaded = true;
    }
    return &ctx->prefs;
}

int engine_report_progress(const progress_callbacks *cb, int done, int total)
{
    if (!cb || !cb->progress)
        return 0;
    return cb->progress(cb->context, done, total);
}

bool engine_abort_requested(const progress_callbacks *cb)
{
    return cb && cb->abort && cb->abort(cb->context) != 0;
}
