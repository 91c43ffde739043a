// The operations of each host interface, for probes that must override all of
// them. The compiler holds these lists to the declarations: a probe that
// misses an operation cannot be instantiated, and one that names an operation
// the interface lacks does not compile (override). The order here is free;
// the slots come from the declarations alone.
#pragma once

#define QF_APPLICATION_OPERATIONS(X) \
    X(get_Name, (BSTR*)) \
    X(get_Version, (BSTR*)) \
    X(get_Path, (BSTR*)) \
    X(get_ActiveCatalog, (IHostCatalog**))

#define QF_CATALOG_OPERATIONS(X) \
    X(Reserved7, ()) \
    X(get_Index, (LONG*)) \
    X(get_Name, (BSTR*)) \
    X(Reserved10, ()) \
    X(get_Path, (BSTR*)) \
    X(Reserved12, ()) \
    X(Reserved13, ()) \
    X(Reserved14, ()) \
    X(Reserved15, ()) \
    X(Reserved16, ()) \
    X(Reserved17, ()) \
    X(Reserved18, ()) \
    X(Reserved19, ()) \
    X(Reserved20, ()) \
    X(Reserved21, ()) \
    X(Reserved22, ()) \
    X(Reserved23, ()) \
    X(Reserved24, ()) \
    X(Reserved25, ()) \
    X(Reserved26, ()) \
    X(Reserved27, ()) \
    X(Reserved28, ()) \
    X(Reserved29, ()) \
    X(get_MediaSets, (IHostMediaSets**))

#define QF_MEDIA_SETS_OPERATIONS(X) \
    X(Reserved7, ()) \
    X(get_Count, (LONG*)) \
    X(get_Item, (LONG, IHostMediaSet**))

#define QF_MEDIA_SET_OPERATIONS(X) \
    X(Reserved7, ()) \
    X(get_Name, (BSTR*)) \
    X(Reserved9, ()) \
    X(get_Index, (LONG*)) \
    X(Reserved11, ()) \
    X(Reserved12, ()) \
    X(get_IsSkipped, (VARIANT_BOOL*)) \
    X(get_Level, (LONG*)) \
    X(get_Parent, (IHostMediaSet**)) \
    X(get_MediaItems, (IHostMediaItems**))

#define QF_MEDIA_ITEMS_OPERATIONS(X) \
    X(Reserved7, ()) \
    X(get_Count, (LONG*)) \
    X(get_Item, (LONG, IHostMediaItem**))

#define QF_MEDIA_ITEM_OPERATIONS(X) \
    X(Reserved7, ()) \
    X(Reserved8, ()) \
    X(Reserved9, ()) \
    X(Reserved10, ()) \
    X(Reserved11, ()) \
    X(Reserved12, ()) \
    X(Reserved13, ()) \
    X(Reserved14, ()) \
    X(Reserved15, ()) \
    X(Reserved16, ()) \
    X(Reserved17, ()) \
    X(Reserved18, ()) \
    X(Reserved19, ()) \
    X(Reserved20, ()) \
    X(Reserved21, ()) \
    X(Reserved22, ()) \
    X(Reserved23, ()) \
    X(Reserved24, ()) \
    X(Reserved25, ()) \
    X(Reserved26, ()) \
    X(Reserved27, ()) \
    X(Reserved28, ()) \
    X(Reserved29, ()) \
    X(Reserved30, ()) \
    X(Reserved31, ()) \
    X(Reserved32, ()) \
    X(Reserved33, ()) \
    X(Reserved34, ()) \
    X(get_Annotations, (IHostAnnotations**))

#define QF_ANNOTATIONS_OPERATIONS(X) \
    X(Reserved7, ()) \
    X(Reserved8, ()) \
    X(Reserved9, ()) \
    X(Reserved10, ()) \
    X(Reserved11, ()) \
    X(Reserved12, ()) \
    X(Reserved13, ()) \
    X(Reserved14, ()) \
    X(Reserved15, ()) \
    X(Reserved16, ()) \
    X(Reserved17, ()) \
    X(Reserved18, ()) \
    X(Reserved19, ()) \
    X(Reserved20, ()) \
    X(Reserved21, ()) \
    X(Reserved22, ()) \
    X(Reserved23, ()) \
    X(Reserved24, ()) \
    X(Reserved25, ()) \
    X(Reserved26, ()) \
    X(Reserved27, ()) \
    X(Reserved28, ()) \
    X(Reserved29, ()) \
    X(Reserved30, ()) \
    X(Reserved31, ()) \
    X(Reserved32, ()) \
    X(Reserved33, ()) \
    X(Reserved34, ()) \
    X(Reserved35, ()) \
    X(Reserved36, ()) \
    X(Reserved37, ()) \
    X(Reserved38, ()) \
    X(Reserved39, ()) \
    X(Reserved40, ()) \
    X(Reserved41, ()) \
    X(Reserved42, ()) \
    X(Reserved43, ()) \
    X(Reserved44, ()) \
    X(Reserved45, ()) \
    X(Reserved46, ()) \
    X(Reserved47, ()) \
    X(get_Keywords, (BSTR*)) \
    X(put_Keywords, (BSTR))
