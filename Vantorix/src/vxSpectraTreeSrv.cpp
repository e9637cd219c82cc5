// vxSpectraTreeSrv: the curve tree and the FC10 list of the spectra page.
#include "vxSpectraTreeSrv.h"

#include "qklogsrv.h"

int vxSpectraPageBuildTreeView(vxInfo*) { qklogTrace("vxSpectraPageBuildTreeView"); return -2; }
int vxSpectraPageSetTreeViewImages(vxInfo*) { qklogTrace("vxSpectraPageSetTreeViewImages"); return -2; }
int vxSpectraPageGetTreeViewImages(vxInfo*) { qklogTrace("vxSpectraPageGetTreeViewImages"); return -2; }
int vxSpectraPageSetUserTreeView(vxInfo*) { qklogTrace("vxSpectraPageSetUserTreeView"); return -2; }
int vxSpectraPageSetH2OTreeView(vxInfo*) { qklogTrace("vxSpectraPageSetH2OTreeView"); return -2; }
int vxSpectraPageSetListHdr(vxInfo*) { qklogTrace("vxSpectraPageSetListHdr"); return -2; }
int vxSpectraPageListData(vxInfo*) { qklogTrace("vxSpectraPageListData"); return -2; }
int vxSpectraPageListField(char*, size_t, const char*) { qklogTrace("vxSpectraPageListField"); return -2; }
int vxSpectraPageListUpdate(vxInfo*) { qklogTrace("vxSpectraPageListUpdate"); return -2; }
