#pragma once
// Results of modal dialogs and message boxes, with the platform's numbers: callers compare them
// with the numbers the settings and handlers were written for (OK 1, Yes 6).
enum TModalResult : int
{
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};
