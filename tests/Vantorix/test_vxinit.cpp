// The application record's clearing and the SIGTERM end request, in process.
#include <gtest/gtest.h>

#include <csignal>

#include "vxInit.h"
#include "vxMain.h"

TEST(VxInit, InitializeClearsTheWholeRecord)
{
    vxPtr = &vx;
    vx.state = 99;
    vx.cmdlncnt = 3;
    vx.inDataCnt = 1234;
    vx.cfg.path[0] = 'x';
    vx.homeDir[127] = 'y';
    vx.rundiagthrds.state = 1;
    vx.diagdvthrds.thrd.cnt = 5;
    vx.anaVerPtr = reinterpret_cast<vxAnalyzerVersion*>(&vx);

    EXPECT_EQ(vxInitialize(vxPtr), 0);
    EXPECT_EQ(vx.state, 0);
    EXPECT_EQ(vx.cmdlncnt, 0);
    EXPECT_EQ(vx.inDataCnt, 0);
    EXPECT_EQ(vx.cfg.path[0], '\0');
    EXPECT_EQ(vx.homeDir[127], '\0');
    EXPECT_EQ(vx.rundiagthrds.state, 0);
    EXPECT_EQ(vx.diagdvthrds.thrd.cnt, 0);
    EXPECT_EQ(vx.anaVerPtr, nullptr);
    EXPECT_EQ(vx.inbuf, g_inbuf);
    EXPECT_EQ(vx.outbuf, g_outbuf);
}

TEST(VxInit, SigtermOnlyRecordsTheRequest)
{
    ASSERT_EQ(vxTermInit(), 0);
    EXPECT_EQ(vxTermRequested(), 0);
    ASSERT_EQ(std::raise(SIGTERM), 0);   // this process goes on
    EXPECT_EQ(vxTermRequested(), 1);
}
