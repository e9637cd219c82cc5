// A window record for reading definition files in tests: a fresh record with
// the built-in colour palette, files in a temporary tree, and the log of the
// reads in a file of that tree.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "qklogsrv.h"
#include "qkwincfgsrv.h"
#include "qkwinpalettesrv.h"
#include "qkwinsrv.h"
#include "vxtestsupport.h"

namespace wincfgtest {

class Window {
public:
    Window() : w_(new qkwinInfo{}), log_(tree_.path("work/wincfg.log"))
    {
        tree_.write("work/.keep", "");
        EXPECT_EQ(qklogopn(log_.c_str()), 0);
        // No colour list file here: the built-in list is used.
        qkwinpalettecreatefrom(w_.get(), tree_.path("no-colours.xml").c_str());
    }
    ~Window()
    {
        qkwincfgfreetables(w_.get());
        qkwinpalettefreemem(w_.get());
        qklogcls();
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    qkwinInfo* operator->() { return w_.get(); }
    qkwinInfo* get() { return w_.get(); }
    const vxtest::TempTree& tree() const { return tree_; }

    // Writes a file of the tree; returns its full path.
    std::string file(const std::string& name, const std::string& text) { return tree_.write(name, text); }

    // Writes text as a definition file and reads it into the window.
    int read(const std::string& text, const std::string& name = "win.xml")
    {
        return readFile(file(name, text));
    }
    int readFile(const std::string& path)
    {
        EXPECT_EQ(qkwincfgsetpath(w_.get(), path.c_str()), 0);
        return qkwincfgread(w_.get());
    }

    std::string log() const
    {
        std::fflush(qkloggetfd());
        return vxtest::readFile(log_);
    }

private:
    vxtest::TempTree tree_;
    std::unique_ptr<qkwinInfo> w_;
    std::string log_;
};

// The text of a MAINWINDOW block around body.
inline std::string mainwindow(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<MAINWINDOW>\n" + body + "</MAINWINDOW>\n";
}

// Platform colour reference of 0xRRGGBB.
inline int colorref(unsigned rgb)
{
    return static_cast<int>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

}  // namespace wincfgtest
