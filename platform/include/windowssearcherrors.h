// Result codes of the Windows Search protocol-handler (0x?00412xx) and
// gatherer (0x?0040Dxx) ranges, all in FACILITY_ITF.
//
// mingw-w64 has no WindowsSearchErrors.h. These are macros, as winerror.h's
// codes are, so that `#ifdef` works and a switch over an HRESULT can use them
// as case labels. The names and values are the platform's, including its
// misspellings (GHTR_, CONNECTTED, INITIALZED): code written against the
// Windows SDK must find the same names here.
//
// Severity matters more than it looks: the indexer treats a success code
// (PRTH_S_NOT_MODIFIED, PRTH_S_ACL_IS_READ_EVERYONE) as "carry on" and any
// failure as the end of the item, so an S_ code with the wrong top bit turns a
// skipped item into a lost one.

#ifndef BRW_PLATFORM_WINDOWSSEARCHERRORS_H
#define BRW_PLATFORM_WINDOWSSEARCHERRORS_H

#include <winerror.h>

// ---------------------------------------------------------------------------
// Protocol handler codes. The ones a handler is meant to return are
// PRTH_E_COMM_ERROR, _OBJ_NOT_FOUND, _REQUEST_ERROR, PRTH_S_NOT_MODIFIED,
// PRTH_E_ACCESS_DENIED, _SERVER_ERROR, _NOT_REDIRECTED, _BAD_REQUEST,
// _ACL_IS_READ_NONE, _ACL_TOO_BIG, PRTH_S_ACL_IS_READ_EVERYONE,
// PRTH_S_NOT_ALL_PARTS and PRTH_S_TRY_IMPERSONATING; the rest are the host's
// own, but a stand-in host reports them, so they are here too.
// ---------------------------------------------------------------------------

#define PRTH_E_COMM_ERROR                                    _HRESULT_TYPEDEF_(0x80041200L)
#define PRTH_E_OBJ_NOT_FOUND                                 _HRESULT_TYPEDEF_(0x80041201L)
#define PRTH_E_REQUEST_ERROR                                 _HRESULT_TYPEDEF_(0x80041202L)
#define PRTH_S_NOT_MODIFIED                                  _HRESULT_TYPEDEF_(0x00041203L)
#define PRTH_E_INTERNAL_ERROR                                _HRESULT_TYPEDEF_(0x80041204L)
#define PRTH_E_ACCESS_DENIED                                 _HRESULT_TYPEDEF_(0x80041205L)
#define PRTH_E_SERVER_ERROR                                  _HRESULT_TYPEDEF_(0x80041206L)
#define PRTH_E_NOT_REDIRECTED                                _HRESULT_TYPEDEF_(0x80041207L)
#define PRTH_E_BAD_REQUEST                                   _HRESULT_TYPEDEF_(0x80041208L)
#define PRTH_E_HTTP_CANNOT_CONNECT                           _HRESULT_TYPEDEF_(0x80041209L)
#define PRTH_S_MAX_GROWTH                                    _HRESULT_TYPEDEF_(0x00041209L)
#define PRTH_E_WININET                                       _HRESULT_TYPEDEF_(0x8004120AL)
#define PRTH_E_RETRY                                         _HRESULT_TYPEDEF_(0x8004120BL)
#define PRTH_S_MAX_DOWNLOAD                                  _HRESULT_TYPEDEF_(0x0004120CL)
#define PRTH_E_MIME_EXCLUDED                                 _HRESULT_TYPEDEF_(0x8004120DL)
#define PRTH_E_CANT_TRANSFORM_EXTERNAL_ACL                   _HRESULT_TYPEDEF_(0x8004120EL)
#define PRTH_E_CANT_TRANSFORM_DENIED_ACE                     _HRESULT_TYPEDEF_(0x8004120FL)
#define PRTH_S_ACL_IS_READ_EVERYONE                          _HRESULT_TYPEDEF_(0x00041210L)
#define PRTH_E_ACL_IS_READ_NONE                              _HRESULT_TYPEDEF_(0x80041211L)
#define PRTH_E_ACL_TOO_BIG                                   _HRESULT_TYPEDEF_(0x80041212L)
#define PRTH_E_NO_PROPERTY                                   _HRESULT_TYPEDEF_(0x80041213L)
#define PRTH_S_USE_ROSEBUD                                   _HRESULT_TYPEDEF_(0x00041214L)
#define PRTH_E_DATABASE_OPEN_ERROR                           _HRESULT_TYPEDEF_(0x80041215L)
#define PRTH_E_OPLOCK_BROKEN                                 _HRESULT_TYPEDEF_(0x80041216L)
#define PRTH_E_LOAD_FAILED                                   _HRESULT_TYPEDEF_(0x80041217L)
#define PRTH_E_INIT_FAILED                                   _HRESULT_TYPEDEF_(0x80041218L)
#define PRTH_E_VOLUME_MOUNT_POINT                            _HRESULT_TYPEDEF_(0x80041219L)
#define PRTH_E_TRUNCATED                                     _HRESULT_TYPEDEF_(0x8004121AL)
// A success code, although the documentation's table prints it with the
// failure bit set: the number the indexer acts on is the SDK header's.
#define PRTH_S_NOT_ALL_PARTS                                 _HRESULT_TYPEDEF_(0x0004121BL)
// A gatherer name with a protocol-handler number; the platform put it here.
#define GTHR_E_LOCAL_GROUPS_EXPANSION_INTERNAL_ERROR         _HRESULT_TYPEDEF_(0x8004121DL)
#define PRTH_E_HTTPS_CERTIFICATE_ERROR                       _HRESULT_TYPEDEF_(0x80041223L)
#define PRTH_E_HTTPS_REQUIRE_CERTIFICATE                     _HRESULT_TYPEDEF_(0x80041224L)
#define PRTH_S_TRY_IMPERSONATING                             _HRESULT_TYPEDEF_(0x00041225L)

// ---------------------------------------------------------------------------
// Gatherer codes, in value order. A notification client sees these as the
// per-item completion codes of ISearchItemsChangedSink::OnItemsChanged and in
// SEARCH_ITEM_INDEXING_STATUS; most of the administrative ones only ever come
// back from the catalogue and crawl-scope managers.
// ---------------------------------------------------------------------------

#define GTHR_E_DUPLICATE_OBJECT                              _HRESULT_TYPEDEF_(0x80040D02L)
#define GTHR_E_UNABLE_TO_READ_REGISTRY                       _HRESULT_TYPEDEF_(0x80040D03L)
#define GTHR_E_ERROR_WRITING_REGISTRY                        _HRESULT_TYPEDEF_(0x80040D04L)
#define GTHR_E_ERROR_INITIALIZING_PERFMON                    _HRESULT_TYPEDEF_(0x80040D05L)
#define GTHR_E_ERROR_OBJECT_NOT_FOUND                        _HRESULT_TYPEDEF_(0x80040D06L)
// What the stand-in catalogue answers, per item, for a URL outside every
// include rule, as the indexer does.
#define GTHR_E_URL_EXCLUDED                                  _HRESULT_TYPEDEF_(0x80040D07L)
#define GTHR_E_CONFIG_DUP_PROJECT                            _HRESULT_TYPEDEF_(0x80040D0AL)
#define GTHR_E_CONFIG_DUP_EXTENSION                          _HRESULT_TYPEDEF_(0x80040D0BL)
#define GTHR_E_DUPLICATE_URL                                 _HRESULT_TYPEDEF_(0x80040D0DL)
#define GTHR_E_TOO_MANY_PLUGINS                              _HRESULT_TYPEDEF_(0x80040D0EL)
#define GTHR_E_INVALIDFUNCTION                               _HRESULT_TYPEDEF_(0x80040D0FL)
#define GTHR_E_NOFILTERSINK                                  _HRESULT_TYPEDEF_(0x80040D10L)
#define GTHR_E_FILTER_PROCESS_TERMINATED                     _HRESULT_TYPEDEF_(0x80040D11L)
#define GTHR_E_FILTER_INVALID_MESSAGE                        _HRESULT_TYPEDEF_(0x80040D12L)
#define GTHR_E_UNSUPPORTED_PROPERTY_TYPE                     _HRESULT_TYPEDEF_(0x80040D13L)
#define GTHR_E_NAME_TOO_LONG                                 _HRESULT_TYPEDEF_(0x80040D14L)
#define GTHR_E_NO_IDENTITY                                   _HRESULT_TYPEDEF_(0x80040D15L)
#define GTHR_E_FILTER_NOT_FOUND                              _HRESULT_TYPEDEF_(0x80040D16L)
#define GTHR_E_FILTER_NO_MORE_THREADS                        _HRESULT_TYPEDEF_(0x80040D17L)
#define GTHR_E_PRT_HNDLR_PROGID_MISSING                      _HRESULT_TYPEDEF_(0x80040D18L)
#define GTHR_E_FILTER_PROCESS_TERMINATED_QUOTA               _HRESULT_TYPEDEF_(0x80040D19L)
#define GTHR_E_UNKNOWN_PROTOCOL                              _HRESULT_TYPEDEF_(0x80040D1AL)
#define GTHR_E_PROJECT_NOT_INITIALIZED                       _HRESULT_TYPEDEF_(0x80040D1BL)
#define GTHR_S_STATUS_CHANGE_IGNORED                         _HRESULT_TYPEDEF_(0x00040D1CL)
#define GTHR_S_STATUS_END_CRAWL                              _HRESULT_TYPEDEF_(0x00040D1DL)
#define GTHR_S_STATUS_RESET                                  _HRESULT_TYPEDEF_(0x00040D1EL)
#define GTHR_S_STATUS_THROTTLE                               _HRESULT_TYPEDEF_(0x00040D1FL)
#define GTHR_S_STATUS_RESUME                                 _HRESULT_TYPEDEF_(0x00040D20L)
#define GTHR_S_STATUS_PAUSE                                  _HRESULT_TYPEDEF_(0x00040D21L)
#define GTHR_E_INVALID_PROJECT_NAME                          _HRESULT_TYPEDEF_(0x80040D22L)
#define GTHR_E_SHUTTING_DOWN                                 _HRESULT_TYPEDEF_(0x80040D23L)
#define GTHR_S_END_STD_CHUNKS                                _HRESULT_TYPEDEF_(0x00040D24L)
#define GTHR_E_VALUE_NOT_AVAILABLE                           _HRESULT_TYPEDEF_(0x80040D25L)
#define GTHR_E_OUT_OF_DOC_ID                                 _HRESULT_TYPEDEF_(0x80040D26L)
#define GTHR_E_NOTIFICATION_START_PAGE                       _HRESULT_TYPEDEF_(0x80040D27L)
#define GTHR_E_DUP_PROPERTY_MAPPING                          _HRESULT_TYPEDEF_(0x80040D2AL)
#define GTHR_S_NO_CRAWL_SEEDS                                _HRESULT_TYPEDEF_(0x00040D2BL)
#define GTHR_E_INVALID_ACCOUNT                               _HRESULT_TYPEDEF_(0x80040D2CL)
#define GTHR_E_FILTER_INIT                                   _HRESULT_TYPEDEF_(0x80040D2EL)
#define GTHR_E_INVALID_ACCOUNT_SYNTAX                        _HRESULT_TYPEDEF_(0x80040D2FL)
#define GTHR_S_CANNOT_FILTER                                 _HRESULT_TYPEDEF_(0x00040D30L)
#define GTHR_E_PROXY_NAME                                    _HRESULT_TYPEDEF_(0x80040D31L)
#define GTHR_E_SERVER_UNAVAILABLE                            _HRESULT_TYPEDEF_(0x80040D32L)
#define GTHR_S_STATUS_STOP                                   _HRESULT_TYPEDEF_(0x00040D33L)
#define GTHR_E_INVALID_PATH                                  _HRESULT_TYPEDEF_(0x80040D34L)
#define GTHR_E_FILTER_NO_CODEPAGE                            _HRESULT_TYPEDEF_(0x80040D35L)
#define GTHR_S_STATUS_START                                  _HRESULT_TYPEDEF_(0x00040D36L)
#define GTHR_E_NO_PRTCLHNLR                                  _HRESULT_TYPEDEF_(0x80040D37L)
#define GTHR_E_IE_OFFLINE                                    _HRESULT_TYPEDEF_(0x80040D38L)
#define GTHR_E_BAD_FILTER_DAEMON                             _HRESULT_TYPEDEF_(0x80040D39L)
#define GTHR_E_INVALID_MAPPING                               _HRESULT_TYPEDEF_(0x80040D40L)
#define GTHR_E_USER_AGENT_NOT_SPECIFIED                      _HRESULT_TYPEDEF_(0x80040D41L)
#define GTHR_E_FROM_NOT_SPECIFIED                            _HRESULT_TYPEDEF_(0x80040D43L)
#define GTHR_E_INVALID_STREAM_LOGS_COUNT                     _HRESULT_TYPEDEF_(0x80040D44L)
#define GTHR_E_INVALID_EXTENSION                             _HRESULT_TYPEDEF_(0x80040D45L)
#define GTHR_E_INVALID_GROW_FACTOR                           _HRESULT_TYPEDEF_(0x80040D46L)
#define GTHR_E_INVALID_TIME_OUT                              _HRESULT_TYPEDEF_(0x80040D47L)
#define GTHR_E_INVALID_RETRIES                               _HRESULT_TYPEDEF_(0x80040D48L)
#define GTHR_E_INVALID_LOG_FILE_NAME                         _HRESULT_TYPEDEF_(0x80040D49L)
#define GTHR_E_INVALID_HOST_NAME                             _HRESULT_TYPEDEF_(0x80040D50L)
#define GTHR_E_INVALID_START_PAGE                            _HRESULT_TYPEDEF_(0x80040D51L)
#define GTHR_E_DUPLICATE_PROJECT                             _HRESULT_TYPEDEF_(0x80040D52L)
#define GTHR_E_INVALID_DIRECTORY                             _HRESULT_TYPEDEF_(0x80040D53L)
#define GTHR_E_FILTER_INTERRUPTED                            _HRESULT_TYPEDEF_(0x80040D54L)
#define GTHR_E_INVALID_PROXY_PORT                            _HRESULT_TYPEDEF_(0x80040D55L)
#define GTHR_S_CONFIG_HAS_ACCOUNTS                           _HRESULT_TYPEDEF_(0x00040D56L)
#define GTHR_E_SECRET_NOT_FOUND                              _HRESULT_TYPEDEF_(0x80040D57L)
#define GTHR_E_INVALID_PATH_EXPRESSION                       _HRESULT_TYPEDEF_(0x80040D58L)
#define GTHR_E_INVALID_START_PAGE_HOST                       _HRESULT_TYPEDEF_(0x80040D59L)
#define GTHR_E_INVALID_START_PAGE_PATH                       _HRESULT_TYPEDEF_(0x80040D60L)
#define GTHR_E_APPLICATION_NOT_FOUND                         _HRESULT_TYPEDEF_(0x80040D61L)
#define GTHR_E_CANNOT_REMOVE_PLUGINMGR                       _HRESULT_TYPEDEF_(0x80040D62L)
#define GTHR_E_INVALID_APPLICATION_NAME                      _HRESULT_TYPEDEF_(0x80040D63L)
#define GTHR_E_FILTER_FAULT                                  _HRESULT_TYPEDEF_(0x80040D65L)
#define GTHR_E_NON_FIXED_DRIVE                               _HRESULT_TYPEDEF_(0x80040D66L)
#define GTHR_S_PROB_NOT_MODIFIED                             _HRESULT_TYPEDEF_(0x00040D67L)
#define GTHR_S_CRAWL_SCHEDULED                               _HRESULT_TYPEDEF_(0x00040D68L)
#define GTHR_S_TRANSACTION_IGNORED                           _HRESULT_TYPEDEF_(0x00040D69L)
#define GTHR_S_START_FILTER_FROM_PROTOCOL                    _HRESULT_TYPEDEF_(0x00040D6AL)
#define GTHR_E_FILTER_SINGLE_THREADED                        _HRESULT_TYPEDEF_(0x80040D6BL)
#define GTHR_S_BAD_FILE_LINK                                 _HRESULT_TYPEDEF_(0x00040D6CL)
#define GTHR_E_URL_UNIDENTIFIED                              _HRESULT_TYPEDEF_(0x80040D6DL)
#define GTHR_S_NOT_ALL_PARTS                                 _HRESULT_TYPEDEF_(0x00040D6EL)
#define GTHR_E_FORCE_NOTIFICATION_RESET                      _HRESULT_TYPEDEF_(0x80040D6FL)
#define GTHR_S_END_PROCESS_LOOP_NOTIFY_QUEUE                 _HRESULT_TYPEDEF_(0x00040D70L)
#define GTHR_S_START_FILTER_FROM_BODY                        _HRESULT_TYPEDEF_(0x00040D71L)
#define GTHR_E_CONTENT_ID_CONFLICT                           _HRESULT_TYPEDEF_(0x80040D72L)
#define GTHR_E_UNABLE_TO_READ_EXCHANGE_STORE                 _HRESULT_TYPEDEF_(0x80040D73L)
#define GTHR_E_RECOVERABLE_EXOLEDB_ERROR                     _HRESULT_TYPEDEF_(0x80040D74L)
#define GTHR_E_INVALID_CALL_FROM_WBREAKER                    _HRESULT_TYPEDEF_(0x80040D76L)
#define GTHR_E_PROPERTY_LIST_NOT_INITIALIZED                 _HRESULT_TYPEDEF_(0x80040D77L)
#define GTHR_S_MODIFIED_PARTS                                _HRESULT_TYPEDEF_(0x00040D78L)
#define GHTR_E_LOCAL_SERVER_UNAVAILABLE                      _HRESULT_TYPEDEF_(0x80040D79L)
#define GTHR_E_SCHEMA_ERRORS_OCCURRED                        _HRESULT_TYPEDEF_(0x80040D7AL)
#define GTHR_E_TIMEOUT                                       _HRESULT_TYPEDEF_(0x80040D7BL)
#define GTHR_S_CRAWL_FULL                                    _HRESULT_TYPEDEF_(0x00040D83L)
#define GTHR_S_CRAWL_INCREMENTAL                             _HRESULT_TYPEDEF_(0x00040D84L)
#define GTHR_S_CRAWL_ADAPTIVE                                _HRESULT_TYPEDEF_(0x00040D85L)
#define GTHR_E_NOTIFICATION_START_ADDRESS_INVALID            _HRESULT_TYPEDEF_(0x80040D86L)
#define GTHR_E_NOTIFICATION_TYPE_NOT_SUPPORTED               _HRESULT_TYPEDEF_(0x80040D87L)
#define GTHR_E_NOTIFICATION_FILE_SHARE_INFO_NOT_AVAILABLE    _HRESULT_TYPEDEF_(0x80040D88L)
#define GTHR_E_NOTIFICATION_LOCAL_PATH_MUST_USE_FIXED_DRIVE  _HRESULT_TYPEDEF_(0x80040D89L)
#define GHTR_E_INSUFFICIENT_DISK_SPACE                       _HRESULT_TYPEDEF_(0x80040D8BL)
#define GTHR_E_INVALID_RESOURCE_ID                           _HRESULT_TYPEDEF_(0x80040D8DL)
#define GTHR_E_NESTED_HIERARCHICAL_START_ADDRESSES           _HRESULT_TYPEDEF_(0x80040D8EL)
#define GTHR_S_NO_INDEX                                      _HRESULT_TYPEDEF_(0x00040D90L)
#define GTHR_S_PAUSE_REASON_EXTERNAL                         _HRESULT_TYPEDEF_(0x00040D92L)
#define GTHR_S_PAUSE_REASON_UPGRADING                        _HRESULT_TYPEDEF_(0x00040D93L)
#define GTHR_S_PAUSE_REASON_BACKOFF                          _HRESULT_TYPEDEF_(0x00040D94L)
#define GTHR_E_RETRY                                         _HRESULT_TYPEDEF_(0x80040D95L)
#define GTHR_E_JET_BACKUP_ERROR                              _HRESULT_TYPEDEF_(0x80040D96L)
#define GTHR_E_JET_RESTORE_ERROR                             _HRESULT_TYPEDEF_(0x80040D97L)
#define GTHR_S_OFFICE_CHILD                                  _HRESULT_TYPEDEF_(0x00040D9AL)
#define GTHR_E_PLUGIN_NOT_REGISTERED                         _HRESULT_TYPEDEF_(0x80040D9BL)
#define GTHR_E_NOTIF_ACCESS_TOKEN_UPDATED                    _HRESULT_TYPEDEF_(0x80040D9CL)
#define GTHR_E_DIRMON_NOT_INITIALZED                         _HRESULT_TYPEDEF_(0x80040D9DL)
#define GTHR_E_NOTIF_BEING_REMOVED                           _HRESULT_TYPEDEF_(0x80040D9EL)
#define GTHR_E_NOTIF_EXCESSIVE_THROUGHPUT                    _HRESULT_TYPEDEF_(0x80040D9FL)
#define GTHR_E_INVALID_PATH_SPEC                             _HRESULT_TYPEDEF_(0x80040DA0L)
#define GTHR_E_INSUFFICIENT_FEATURE_TERMS                    _HRESULT_TYPEDEF_(0x80040DA1L)
#define GTHR_E_INSUFFICIENT_EXAMPLE_CATEGORIES               _HRESULT_TYPEDEF_(0x80040DA2L)
#define GTHR_E_INSUFFICIENT_EXAMPLE_DOCUMENTS                _HRESULT_TYPEDEF_(0x80040DA3L)
#define GTHR_E_AUTOCAT_UNEXPECTED                            _HRESULT_TYPEDEF_(0x80040DA4L)
#define GTHR_E_SINGLE_THREADED_EMBEDDING                     _HRESULT_TYPEDEF_(0x80040DA5L)
#define GTHR_S_CANNOT_WORDBREAK                              _HRESULT_TYPEDEF_(0x00040DA6L)
#define GTHR_S_USE_MIME_FILTER                               _HRESULT_TYPEDEF_(0x00040DA7L)
#define GTHR_E_FOLDER_CRAWLED_BY_ANOTHER_WORKSPACE           _HRESULT_TYPEDEF_(0x80040DA9L)
#define GTHR_E_EMPTY_DACL                                    _HRESULT_TYPEDEF_(0x80040DAAL)
#define GTHR_E_OBJECT_NOT_VALID                              _HRESULT_TYPEDEF_(0x80040DABL)
#define GTHR_E_CANNOT_ENABLE_CHECKPOINT                      _HRESULT_TYPEDEF_(0x80040DAEL)
#define GTHR_E_SCOPES_EXCEEDED                               _HRESULT_TYPEDEF_(0x80040DAFL)
#define GTHR_E_PROPERTIES_EXCEEDED                           _HRESULT_TYPEDEF_(0x80040DB0L)
#define GTHR_E_INVALID_START_ADDRESS                         _HRESULT_TYPEDEF_(0x80040DB2L)
#define GTHR_S_PAUSE_REASON_PROFILE_IMPORT                   _HRESULT_TYPEDEF_(0x00040DB3L)
#define GTHR_E_PIPE_NOT_CONNECTTED                           _HRESULT_TYPEDEF_(0x80040DB4L)
#define GTHR_E_BACKUP_VALIDATION_FAIL                        _HRESULT_TYPEDEF_(0x80040DB6L)
#define GTHR_E_BAD_FILTER_HOST                               _HRESULT_TYPEDEF_(0x80040DB7L)
// Bit 30 is set as well as the failure bit. FAILED() still holds, but code
// that rebuilds an HRESULT from facility and code would lose it: compare
// the whole value.
#define GTHR_E_NTF_CLIENT_NOT_SUBSCRIBED                     _HRESULT_TYPEDEF_(0xC0040DB9L)
#define GTHR_E_FILTERPOOL_NOTFOUND                           _HRESULT_TYPEDEF_(0x80040DBAL)
#define GTHR_E_ADDLINKS_FAILED_WILL_RETRY_PARENT             _HRESULT_TYPEDEF_(0x80040DBBL)

#endif // BRW_PLATFORM_WINDOWSSEARCHERRORS_H
