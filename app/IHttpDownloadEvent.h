#pragma once

// Receives a CHttpDownloader's events on the thread that created the
// downloader. Return values are ignored by the downloader.
class IHttpDownloadEvent {
public:
    virtual int OnDownloadBegin(int userData) = 0;
    virtual int OnDownloadProgressChanged(unsigned percent, int bytesPerSecond, int userData) = 0;
    // data: a buffer the downloader frees after the call, or null.
    virtual int OnDownloadFinish(unsigned resultCode, void* data, int userData) = 0;
    virtual int OnDownloadFileTotalSize(int totalBytes) = 0;
};
