#include "simulador/motor/catalogo/textos_das_visoes.hpp"

#include <cstring>

namespace zolvek::simulador {

const char* const kVisoes = R"(
CREATE TEMP TABLE zv_systypes(name TEXT COLLATE LATIN1_CI_AS, xtype INTEGER, status INTEGER,
  xusertype INTEGER, length INTEGER, xprec INTEGER, xscale INTEGER, tdefault INTEGER, domain INTEGER,
  uid INTEGER, reserved INTEGER, collationid INTEGER, usertype INTEGER, variable INTEGER,
  allownulls INTEGER, type INTEGER, printfmt TEXT, prec INTEGER, scale INTEGER, collation TEXT);
CREATE INDEX temp.zv_systypes_xusertype ON zv_systypes(xusertype);
CREATE TEMP VIEW systypes AS SELECT * FROM zv_systypes;
CREATE TEMP VIEW zv_sys_types AS SELECT name, xtype AS system_type_id, xusertype AS user_type_id,
  (CASE WHEN xusertype >= 257 THEN 1 ELSE 4 END) AS schema_id, NULL AS principal_id,
  length AS max_length,
  (CASE WHEN xtype IN (34, 35, 36, 98, 99, 165, 167, 173, 175, 189, 231, 239) THEN 0 ELSE prec END)
    AS precision, (CASE WHEN xtype IN (41, 42) THEN 7 ELSE scale END) AS scale,
  collation AS collation_name,
  (CASE WHEN xusertype = 256 THEN 0 WHEN xusertype >= 257 THEN allownulls ELSE 1 END) AS is_nullable,
  (xusertype >= 257) AS is_user_defined, 0 AS is_assembly_type, 0 AS default_object_id,
  0 AS rule_object_id, 0 AS is_table_type FROM zv_systypes;
CREATE TEMP VIEW zv_tipo_da_coluna AS SELECT c.tabela, c.colid,
  coalesce((SELECT t.xusertype FROM zv_systypes t
    WHERE t.name = zv_atributo_da_coluna(c.tabela, c.colid, 'tipo')), c.xtype) AS usuario
  FROM main.zv_colunas c;
CREATE TEMP VIEW sysobjects AS SELECT o.nome AS name, o.id AS id, o.tipo COLLATE LATIN1_CI_AS AS xtype,
  1 AS uid, 0 AS info, 0 AS status, 0 AS base_schema_ver, 0 AS replinfo, o.pai AS parent_obj,
  zv_dt(o.criacao) AS crdate, 0 AS ftcatid, 0 AS schema_ver, 0 AS stats_schema_ver,
  (CASE WHEN o.tipo IN ('PK','UQ') THEN 'K' ELSE o.tipo END) COLLATE LATIN1_CI_AS AS type,
  0 AS userstat, 0 AS sysstat, 0 AS indexdel, zv_dt(o.criacao) AS refdate, 0 AS version,
  0 AS deltrig, 0 AS instrig, 0 AS updtrig, 0 AS seltrig, 0 AS category, 0 AS cache
  FROM main.zv_objetos o;
CREATE TEMP VIEW zv_sys_objects AS SELECT o.nome AS name, o.id AS object_id, NULL AS principal_id,
  1 AS schema_id, o.pai AS parent_object_id, o.tipo COLLATE LATIN1_CI_AS AS type,
  (CASE o.tipo WHEN 'U' THEN 'USER_TABLE' WHEN 'V' THEN 'VIEW' WHEN 'P' THEN 'SQL_STORED_PROCEDURE'
   WHEN 'TR' THEN 'SQL_TRIGGER' WHEN 'FN' THEN 'SQL_SCALAR_FUNCTION'
   WHEN 'IF' THEN 'SQL_INLINE_TABLE_VALUED_FUNCTION' WHEN 'TF' THEN 'SQL_TABLE_VALUED_FUNCTION'
   WHEN 'PK' THEN 'PRIMARY_KEY_CONSTRAINT' WHEN 'UQ' THEN 'UNIQUE_CONSTRAINT'
   WHEN 'F' THEN 'FOREIGN_KEY_CONSTRAINT' WHEN 'C' THEN 'CHECK_CONSTRAINT'
   WHEN 'D' THEN 'DEFAULT_CONSTRAINT' END) COLLATE LATIN1_CI_AS AS type_desc,
  zv_dt(o.criacao) AS create_date, zv_dt(o.criacao) AS modify_date, 0 AS is_ms_shipped,
  0 AS is_published, 0 AS is_schema_published FROM main.zv_objetos o;
CREATE TEMP VIEW zv_sys_tables AS SELECT * FROM zv_sys_objects WHERE type = 'U';
CREATE TEMP VIEW zv_sys_views AS SELECT * FROM zv_sys_objects WHERE type = 'V';
CREATE TEMP VIEW zv_sys_procedures AS SELECT * FROM zv_sys_objects WHERE type = 'P';
CREATE TEMP VIEW zv_sys_triggers AS SELECT name, object_id, parent_object_id AS parent_id,
  create_date, modify_date, 0 AS is_disabled FROM zv_sys_objects WHERE type = 'TR';
CREATE TEMP VIEW syscolumns AS SELECT c.nome AS name, c.tabela AS id, c.xtype AS xtype,
  0 AS typestat, (SELECT u.usuario FROM zv_tipo_da_coluna u WHERE u.tabela = c.tabela
    AND u.colid = c.colid) AS xusertype, c.comprimento AS length,
  (CASE WHEN c.xtype IN (40, 41, 42, 43, 48, 52, 56, 58, 59, 60, 61, 62, 104, 106, 108, 122, 127)
    THEN c.prec ELSE 0 END) AS xprec,
  (CASE WHEN c.xtype IN (41, 42, 43) AND c.precisao = 0 THEN 7
    WHEN c.xtype IN (40, 41, 42, 43, 48, 52, 56, 58, 59, 60, 61, 62, 104, 106, 108, 122, 127)
    THEN c.escala_cat ELSE 0 END) AS xscale, c.colid AS colid, 0 AS xoffset, 0 AS bitpos, 0 AS reserved,
  0 AS colstat, c.padrao AS cdefault, 0 AS domain, 0 AS number, c.colid AS colorder,
  NULL AS autoval, 0 AS offset, 0 AS collationid, 0 AS language,
  (CASE WHEN c.anulavel THEN 8 ELSE 0 END) AS status, c.xtype AS type,
  (SELECT u.usuario FROM zv_tipo_da_coluna u WHERE u.tabela = c.tabela AND u.colid = c.colid)
    AS usertype,
  NULL AS printfmt, c.prec AS prec, c.escala_cat AS scale,
  (zv_atributo_da_coluna(c.tabela, c.colid, 'calculo') IS NOT NULL) AS iscomputed, 0 AS isoutparam,
  c.anulavel AS isnullable,
  (CASE WHEN c.xtype IN (35, 99, 167, 175, 231, 239) THEN 'Latin1_General_CI_AS' END) AS collation
  FROM main.zv_colunas c;
CREATE TEMP VIEW zv_sys_columns AS SELECT c.tabela AS object_id, c.nome AS name, c.colid AS column_id,
  c.xtype AS system_type_id,
  (SELECT u.usuario FROM zv_tipo_da_coluna u WHERE u.tabela = c.tabela AND u.colid = c.colid)
    AS user_type_id, c.comprimento AS max_length,
  (CASE WHEN c.xtype IN (40, 41, 42, 43, 48, 52, 56, 58, 59, 60, 61, 62, 104, 106, 108, 122, 127)
    THEN c.prec ELSE 0 END) AS precision,
  (CASE WHEN c.xtype IN (41, 42, 43) AND c.precisao = 0 THEN 7
    WHEN c.xtype IN (40, 41, 42, 43, 48, 52, 56, 58, 59, 60, 61, 62, 104, 106, 108, 122, 127)
    THEN c.escala_cat ELSE 0 END) AS scale,
  (CASE WHEN c.xtype IN (35, 99, 167, 175, 231, 239) THEN 'Latin1_General_CI_AS' END)
    COLLATE LATIN1_CI_AS AS collation_name, c.anulavel AS is_nullable,
  (CASE WHEN c.xtype IN (98, 165, 167, 173, 175, 231, 239) THEN 1 ELSE 0 END) AS is_ansi_padded,
  0 AS is_rowguidcol, c.identidade AS is_identity,
  (zv_atributo_da_coluna(c.tabela, c.colid, 'calculo') IS NOT NULL) AS is_computed, 0 AS is_filestream,
  0 AS is_replicated, 0 AS is_non_sql_subscribed, 0 AS is_merge_published, 0 AS is_dts_replicated,
  0 AS is_xml_document, 0 AS xml_collection_id, c.padrao AS default_object_id, 0 AS rule_object_id,
  0 AS is_sparse, 0 AS is_column_set
  FROM main.zv_colunas c;
CREATE TEMP VIEW zv_sys_computed_columns AS SELECT c.*,
  zv_atributo_da_coluna(c.object_id, c.column_id, 'calculo') AS definition,
  1 AS uses_database_collation,
  zv_atributo_da_coluna(c.object_id, c.column_id, 'persistida') AS is_persisted
  FROM zv_sys_columns c WHERE c.is_computed = 1;
CREATE TEMP VIEW sysindexes AS SELECT i.tabela AS id, 0 AS status, NULL AS first, i.indid AS indid,
  NULL AS root, 0 AS minlen, (SELECT count(*) FROM main.zv_indices) * 0 AS keycnt, 1 AS groupid,
  0 AS dpages, 0 AS reserved, 0 AS used, zv_linhas(i.tabela) AS rowcnt, 0 AS rowmodctr, 0 AS reserved3,
  0 AS reserved4, 0 AS xmaxlen, 0 AS maxirow, 0 AS OrigFillFactor, 0 AS StatVersion,
  0 AS reserved2, NULL AS FirstIAM, 0 AS impid, 0 AS lockflags, 0 AS pgmodctr, NULL AS keys,
  i.nome AS name, NULL AS statblob, 0 AS maxlen, zv_linhas(i.tabela) AS rows FROM main.zv_indices i
  UNION ALL SELECT o.id, 0, NULL, 0, NULL, 0, 0, 1, 0, 0, 0, zv_linhas(o.id), 0, 0, 0, 0, 0, 0, 0, 0,
  NULL, 0, 0, 0, NULL, NULL, NULL, 0, zv_linhas(o.id) FROM main.zv_objetos o WHERE o.tipo = 'U'
  AND NOT EXISTS (SELECT 1 FROM main.zv_indices x WHERE x.tabela = o.id AND x.indid = 1);
CREATE TEMP VIEW zv_sys_indexes AS SELECT i.tabela AS object_id, i.nome AS name, i.indid AS index_id,
  (CASE WHEN i.indid = 1 THEN 1 ELSE 2 END) AS type,
  (CASE WHEN i.indid = 1 THEN 'CLUSTERED' ELSE 'NONCLUSTERED' END) AS type_desc,
  i.unico AS is_unique, 1 AS data_space_id, 0 AS ignore_dup_key, i.primario AS is_primary_key,
  (CASE WHEN i.restricao <> 0 AND NOT i.primario THEN 1 ELSE 0 END) AS is_unique_constraint,
  0 AS fill_factor, 0 AS is_padded, 0 AS is_disabled, 0 AS is_hypothetical,
  1 AS allow_row_locks, 1 AS allow_page_locks,
  (zv_filtro_do_indice(i.tabela, i.indid) IS NOT NULL) AS has_filter,
  zv_filtro_do_indice(i.tabela, i.indid) AS filter_definition
  FROM main.zv_indices i
  UNION ALL SELECT o.id, NULL, 0, 0, 'HEAP', 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, NULL
  FROM main.zv_objetos o WHERE o.tipo = 'U'
  AND NOT EXISTS (SELECT 1 FROM main.zv_indices x WHERE x.tabela = o.id AND x.indid = 1);
CREATE TEMP VIEW zv_is_columns AS SELECT zv_db_name() COLLATE LATIN1_CI_AS AS TABLE_CATALOG,
  'dbo' COLLATE LATIN1_CI_AS AS TABLE_SCHEMA, o.nome AS TABLE_NAME, c.nome AS COLUMN_NAME,
  c.colid AS ORDINAL_POSITION, d.texto AS COLUMN_DEFAULT,
  (CASE WHEN c.anulavel THEN 'YES' ELSE 'NO' END) AS IS_NULLABLE,
  c.tipo COLLATE LATIN1_CI_AS AS DATA_TYPE,
  (CASE WHEN c.xtype IN (167, 175, 231, 239, 165, 173) THEN c.tamanho
        WHEN c.xtype IN (35, 34) THEN 2147483647 WHEN c.xtype = 99 THEN 1073741823 END)
    AS CHARACTER_MAXIMUM_LENGTH,
  (CASE WHEN c.xtype IN (167, 175, 231, 239, 165, 173) THEN c.comprimento
        WHEN c.xtype IN (35, 34, 99) THEN 2147483647 END) AS CHARACTER_OCTET_LENGTH,
  c.prec_num AS NUMERIC_PRECISION,
  (CASE WHEN c.xtype IN (62, 59) THEN 2 WHEN c.prec_num IS NOT NULL THEN 10 END) AS NUMERIC_PRECISION_RADIX,
  c.escala_num AS NUMERIC_SCALE,
  (CASE WHEN c.xtype IN (40, 58) THEN 0 WHEN c.xtype = 61 THEN 3
        WHEN c.xtype IN (41, 42, 43) THEN (CASE WHEN c.precisao = 0 THEN 7 ELSE c.escala END) END)
    AS DATETIME_PRECISION,
  NULL AS CHARACTER_SET_CATALOG, NULL AS CHARACTER_SET_SCHEMA,
  (CASE WHEN c.xtype IN (35, 167, 175) THEN 'iso_1' WHEN c.xtype IN (99, 231, 239) THEN 'UNICODE' END)
    AS CHARACTER_SET_NAME, NULL AS COLLATION_CATALOG, NULL AS COLLATION_SCHEMA,
  (CASE WHEN c.xtype IN (35, 99, 167, 175, 231, 239) THEN 'Latin1_General_CI_AS' END) AS COLLATION_NAME,
  (CASE WHEN d.name IS NOT NULL THEN zv_db_name() END) COLLATE LATIN1_CI_AS AS DOMAIN_CATALOG,
  (CASE WHEN d.name IS NOT NULL THEN 'dbo' END) COLLATE LATIN1_CI_AS AS DOMAIN_SCHEMA,
  d.name AS DOMAIN_NAME
  FROM main.zv_colunas c JOIN main.zv_objetos o ON o.id = c.tabela
  LEFT JOIN zv_systypes d ON d.xusertype >= 257
    AND d.name = zv_atributo_da_coluna(c.tabela, c.colid, 'tipo')
  LEFT JOIN main.zv_objetos d ON d.id = c.padrao AND c.padrao <> 0;
CREATE TEMP VIEW zv_is_tables AS SELECT zv_db_name() COLLATE LATIN1_CI_AS AS TABLE_CATALOG,
  'dbo' COLLATE LATIN1_CI_AS AS TABLE_SCHEMA, o.nome AS TABLE_NAME,
  (CASE o.tipo WHEN 'U' THEN 'BASE TABLE' ELSE 'VIEW' END) COLLATE LATIN1_CI_AS AS TABLE_TYPE
  FROM main.zv_objetos o WHERE o.tipo IN ('U', 'V');
CREATE TEMP VIEW zv_sys_database_principals AS SELECT nome AS name,
  (CASE WHEN papel THEN 'R' ELSE 'S' END) AS type,
  (CASE WHEN papel THEN 'DATABASE_ROLE' ELSE 'SQL_USER' END) AS type_desc FROM main.zv_usuarios;
CREATE TEMP TABLE zv_sysprocesses(spid INTEGER, kpid INTEGER, blocked INTEGER, waittype BLOB,
  waittime INTEGER, lastwaittype TEXT, waitresource TEXT, dbid INTEGER, uid INTEGER, cpu INTEGER,
  physical_io INTEGER, memusage INTEGER, login_time TEXT, last_batch TEXT, ecid INTEGER,
  open_tran INTEGER, status TEXT COLLATE LATIN1_CI_AS, sid BLOB, hostname TEXT COLLATE LATIN1_CI_AS,
  program_name TEXT COLLATE LATIN1_CI_AS, hostprocess TEXT, cmd TEXT, nt_domain TEXT,
  nt_username TEXT, net_address TEXT, net_library TEXT, loginame TEXT COLLATE LATIN1_CI_AS);
-- Of the sessions, the columns the server knows: the settings, counters and times a
-- session does not keep (cpu_time, reads, language, last_request_end_time ...) are left
-- out, and a query that names one is refused as it names an unknown column.
CREATE TEMP VIEW zv_sys_dm_exec_sessions AS SELECT spid AS session_id,
  zv_dt(login_time) AS login_time, hostname AS host_name, program_name,
  CAST(hostprocess AS INTEGER) AS host_process_id, loginame AS login_name,
  (CASE WHEN spid = zv_spid() OR status = 'runnable' THEN 'running' ELSE 'sleeping' END)
    COLLATE LATIN1_CI_AS AS status, zv_dt(last_batch) AS last_request_start_time,
  1 AS is_user_process, dbid AS database_id, loginame AS original_login_name
  FROM zv_sysprocesses;
-- A request per session running a batch: this one, and those other connections run now,
-- whose command the server does not know.
CREATE TEMP VIEW zv_sys_dm_exec_requests AS SELECT spid AS session_id, 0 AS request_id,
  zv_dt(last_batch) AS start_time, 'running' COLLATE LATIN1_CI_AS AS status,
  (CASE WHEN spid = zv_spid() THEN 'SELECT' END) COLLATE LATIN1_CI_AS AS command,
  dbid AS database_id, 0 AS blocking_session_id, NULL AS wait_type, 0 AS wait_time,
  '' COLLATE LATIN1_CI_AS AS wait_resource, 0 AS percent_complete,
  0 AS estimated_completion_time
  FROM zv_sysprocesses WHERE spid = zv_spid() OR status = 'runnable';
CREATE TEMP TABLE zv_sys_databases(name TEXT COLLATE LATIN1_CI_AS, database_id INTEGER,
  source_database_id INTEGER, owner_sid BLOB, create_date TEXT, compatibility_level INTEGER,
  collation_name TEXT, user_access INTEGER, user_access_desc TEXT COLLATE LATIN1_CI_AS,
  is_read_only INTEGER, state INTEGER, state_desc TEXT COLLATE LATIN1_CI_AS,
  recovery_model INTEGER, recovery_model_desc TEXT, is_read_committed_snapshot_on INTEGER,
  is_auto_shrink_on INTEGER);
CREATE TEMP VIEW zv_sysdatabases AS SELECT name, database_id AS dbid, NULL AS sid, 0 AS mode,
  0 AS status, 0 AS status2, zv_dt(create_date) AS crdate, NULL AS reserved, 0 AS category,
  110 AS cmptlevel, NULL AS filename, 0 AS version FROM zv_sys_databases;
-- The databases' files: sizes in 8 KB pages, growth in pages or percent.
CREATE TEMP TABLE zv_arquivos(database_id INTEGER, file_id INTEGER, type INTEGER,
  name TEXT COLLATE LATIN1_CI_AS, physical_name TEXT COLLATE LATIN1_CI_AS, size INTEGER,
  max_size INTEGER, growth INTEGER, is_percent_growth INTEGER);
CREATE TEMP VIEW zv_sys_master_files AS SELECT database_id, file_id, NULL AS file_guid, type,
  (CASE type WHEN 1 THEN 'LOG' ELSE 'ROWS' END) COLLATE LATIN1_CI_AS AS type_desc,
  (CASE type WHEN 1 THEN 0 ELSE 1 END) AS data_space_id, name, physical_name, 0 AS state,
  'ONLINE' COLLATE LATIN1_CI_AS AS state_desc, size, max_size, growth, 0 AS is_media_read_only,
  0 AS is_read_only, 0 AS is_sparse, is_percent_growth FROM zv_arquivos;
CREATE TEMP VIEW zv_sys_database_files AS SELECT file_id, file_guid, type, type_desc,
  data_space_id, name, physical_name, state, state_desc, size, max_size, growth,
  is_media_read_only, is_read_only, is_sparse, is_percent_growth FROM zv_sys_master_files
  WHERE database_id = zv_db_id();
CREATE TEMP VIEW zv_sysaltfiles AS SELECT file_id AS fileid,
  (CASE type WHEN 1 THEN 0 ELSE 1 END) AS groupid, size, max_size AS maxsize, growth,
  (2 | (CASE type WHEN 1 THEN 64 ELSE 0 END) | (CASE WHEN is_percent_growth THEN 1048576
  ELSE 0 END)) AS status, 0 AS perf, database_id AS dbid, name, physical_name AS filename
  FROM zv_arquivos;
CREATE TEMP VIEW zv_sysfiles AS SELECT fileid, groupid, size, maxsize, growth, status, perf,
  name, filename FROM zv_sysaltfiles WHERE dbid = zv_db_id();
-- The logins, with the ids and sids SQL Server gives them (sa 1 and 0x01), and the fixed
-- server roles. Passwords are not shown.
CREATE TEMP TABLE zv_logins(name TEXT COLLATE LATIN1_CI_AS, principal_id INTEGER, sid BLOB,
  type TEXT COLLATE LATIN1_CI_AS, sysadmin INTEGER, is_disabled INTEGER, create_date TEXT,
  default_database_name TEXT COLLATE LATIN1_CI_AS);
CREATE TEMP VIEW zv_sys_server_principals AS SELECT name, principal_id, sid, type,
  (CASE type WHEN 'U' THEN 'WINDOWS_LOGIN' ELSE 'SQL_LOGIN' END) COLLATE LATIN1_CI_AS AS type_desc,
  is_disabled, zv_dt(create_date) AS create_date, zv_dt(create_date) AS modify_date,
  default_database_name, 'Português (Brasil)' COLLATE LATIN1_CI_AS AS default_language_name,
  NULL AS credential_id, NULL AS owning_principal_id, 0 AS is_fixed_role FROM zv_logins
  UNION ALL SELECT column1, column2, column3, 'R', 'SERVER_ROLE', 0,
  zv_dt('2009-04-13 12:59:06.553'), zv_dt('2009-04-13 12:59:06.553'), NULL, NULL, NULL, 1,
  (column1 <> 'public') FROM (VALUES ('public', 2, X'02'), ('sysadmin', 3, X'03'),
  ('securityadmin', 4, X'04'), ('serveradmin', 5, X'05'), ('setupadmin', 6, X'06'),
  ('processadmin', 7, X'07'), ('diskadmin', 8, X'08'), ('dbcreator', 9, X'09'),
  ('bulkadmin', 10, X'0A'));
CREATE TEMP VIEW zv_sys_sql_logins AS SELECT name, principal_id, sid, type, type_desc,
  is_disabled, create_date, modify_date, default_database_name, default_language_name,
  credential_id, 0 AS is_policy_checked, 0 AS is_expiration_checked
  FROM zv_sys_server_principals WHERE type = 'S';
CREATE TEMP VIEW zv_sys_server_role_members AS SELECT 3 AS role_principal_id,
  principal_id AS member_principal_id FROM zv_logins WHERE sysadmin;
CREATE TEMP VIEW zv_syslogins AS SELECT sid, 9 AS status, zv_dt(create_date) AS createdate,
  zv_dt(create_date) AS updatedate, zv_dt(create_date) AS accdate, 0 AS totcpu, 0 AS totio,
  0 AS spacelimit, 0 AS timelimit, 0 AS resultlimit, name, default_database_name AS dbname,
  NULL AS password, 'Português (Brasil)' COLLATE LATIN1_CI_AS AS language, 0 AS denylogin,
  1 AS hasaccess, (type = 'U') AS isntname, 0 AS isntgroup, (type = 'U') AS isntuser,
  sysadmin, 0 AS securityadmin, 0 AS serveradmin, 0 AS setupadmin, 0 AS processadmin,
  0 AS diskadmin, 0 AS dbcreator, 0 AS bulkadmin, name AS loginname FROM zv_logins;
)";

// The constraints, keys, modules and schemas, in the views SQL Server offers for them. The
// lists of columns a constraint or index keeps in one text (names one a line, "\t1" after
// a descending one) are split here into rows.
const char* const kVisoesDeChavesEModulos = R"(
CREATE TEMP VIEW zv_listas_de_colunas AS WITH RECURSIVE p(dono, indid, lista, ordem, resto, item) AS (
  SELECT id, 0, 'K', 0, colunas || char(10), NULL FROM main.zv_objetos
    WHERE tipo IN ('PK', 'UQ', 'F') AND colunas <> ''
  UNION ALL SELECT id, 0, 'R', 0, colunas_ref || char(10), NULL FROM main.zv_objetos
    WHERE tipo = 'F' AND colunas_ref <> ''
  UNION ALL SELECT tabela, indid, 'I', 0, colunas || char(10), NULL FROM main.zv_indices
    WHERE colunas <> ''
  UNION ALL SELECT dono, indid, lista, ordem + 1, substr(resto, instr(resto, char(10)) + 1),
    substr(resto, 1, instr(resto, char(10)) - 1) FROM p WHERE resto <> '')
  SELECT dono, indid, lista, ordem, (CASE WHEN instr(item, char(9)) > 0
    THEN substr(item, 1, instr(item, char(9)) - 1) ELSE item END) AS nome,
  (substr(item, -2) = char(9) || '1') AS decrescente,
  (substr(item, -2) = char(9) || '+') AS incluida FROM p WHERE ordem > 0;
CREATE TEMP VIEW zv_colunas_das_chaves AS SELECT l.dono AS restricao, r.pai AS tabela,
  l.ordem AS ordem, c.colid AS colid, c.nome AS nome FROM zv_listas_de_colunas l
  JOIN main.zv_objetos r ON r.id = l.dono JOIN main.zv_colunas c ON c.tabela = r.pai AND c.nome = l.nome
  WHERE l.lista = 'K';
CREATE TEMP VIEW zv_colunas_referidas AS SELECT l.dono AS restricao, t.id AS tabela,
  l.ordem AS ordem, c.colid AS colid FROM zv_listas_de_colunas l
  JOIN main.zv_objetos r ON r.id = l.dono JOIN main.zv_objetos t ON t.nome = r.tabela_ref AND t.tipo = 'U'
  JOIN main.zv_colunas c ON c.tabela = t.id AND c.nome = l.nome WHERE l.lista = 'R';
CREATE TEMP VIEW zv_indice_referido AS SELECT r.id AS restricao, t.id AS tabela,
  (SELECT i.indid FROM main.zv_indices i WHERE i.tabela = t.id AND i.unico
    AND replace(i.colunas, char(9) || '1', '') = r.colunas_ref COLLATE LATIN1_CI_AS
    ORDER BY i.indid LIMIT 1) AS indid
  FROM main.zv_objetos r JOIN main.zv_objetos t ON t.nome = r.tabela_ref AND t.tipo = 'U'
  WHERE r.tipo = 'F';
CREATE TEMP VIEW zv_sys_foreign_keys AS SELECT s.*, x.tabela AS referenced_object_id,
  x.indid AS key_index_id, (r.nocheck = 2) AS is_disabled, 0 AS is_not_for_replication,
  (r.nocheck <> 0) AS is_not_trusted,
  (CASE zv_acao_referencial(r.id, 'ao_excluir') WHEN 'CASCADE' THEN 1
    WHEN 'SET NULL' THEN 2 WHEN 'SET DEFAULT' THEN 3 ELSE 0 END) AS delete_referential_action,
  replace(coalesce(nullif(zv_acao_referencial(r.id, 'ao_excluir'), ''), 'NO ACTION'), ' ', '_')
    COLLATE LATIN1_CI_AS AS delete_referential_action_desc,
  (CASE zv_acao_referencial(r.id, 'ao_atualizar') WHEN 'CASCADE' THEN 1
    WHEN 'SET NULL' THEN 2 WHEN 'SET DEFAULT' THEN 3 ELSE 0 END) AS update_referential_action,
  replace(coalesce(nullif(zv_acao_referencial(r.id, 'ao_atualizar'), ''), 'NO ACTION'), ' ', '_')
    COLLATE LATIN1_CI_AS AS update_referential_action_desc,
  (r.nome GLOB 'FK__*__*') AS is_system_named
  FROM zv_sys_objects s JOIN main.zv_objetos r ON r.id = s.object_id
  LEFT JOIN zv_indice_referido x ON x.restricao = r.id WHERE r.tipo = 'F';
CREATE TEMP VIEW zv_sys_foreign_key_columns AS SELECT k.restricao AS constraint_object_id,
  k.ordem AS constraint_column_id, k.tabela AS parent_object_id, k.colid AS parent_column_id,
  x.tabela AS referenced_object_id, x.colid AS referenced_column_id
  FROM zv_colunas_das_chaves k JOIN zv_colunas_referidas x ON x.restricao = k.restricao AND x.ordem = k.ordem;
CREATE TEMP VIEW zv_sys_check_constraints AS SELECT s.*, (r.nocheck = 2) AS is_disabled,
  0 AS is_not_for_replication, (r.nocheck <> 0) AS is_not_trusted,
  coalesce((SELECT c.colid FROM main.zv_colunas c WHERE c.tabela = r.pai AND c.nome = r.colunas), 0)
    AS parent_column_id, r.texto AS definition, 0 AS uses_database_collation,
  (r.nome GLOB 'CK__*__*') AS is_system_named
  FROM zv_sys_objects s JOIN main.zv_objetos r ON r.id = s.object_id WHERE r.tipo = 'C';
CREATE TEMP VIEW zv_sys_default_constraints AS SELECT s.*,
  coalesce((SELECT c.colid FROM main.zv_colunas c WHERE c.tabela = r.pai AND c.nome = r.colunas), 0)
    AS parent_column_id, r.texto AS definition, (r.nome GLOB 'DF__*__*') AS is_system_named
  FROM zv_sys_objects s JOIN main.zv_objetos r ON r.id = s.object_id WHERE r.tipo = 'D';
CREATE TEMP VIEW zv_sys_key_constraints AS SELECT s.*,
  (SELECT i.indid FROM main.zv_indices i WHERE i.restricao = s.object_id) AS unique_index_id,
  (s.name GLOB 'PK__*__*' OR s.name GLOB 'UQ__*__*') AS is_system_named
  FROM zv_sys_objects s WHERE s.type IN ('PK', 'UQ');
CREATE TEMP VIEW zv_sys_index_columns AS SELECT l.dono AS object_id, l.indid AS index_id,
  l.ordem AS index_column_id, c.colid AS column_id,
  (CASE WHEN l.incluida THEN 0 ELSE l.ordem END) AS key_ordinal, 0 AS partition_ordinal,
  l.decrescente AS is_descending_key, l.incluida AS is_included_column FROM zv_listas_de_colunas l
  JOIN main.zv_colunas c ON c.tabela = l.dono AND c.nome = l.nome WHERE l.lista = 'I';
CREATE TEMP VIEW zv_sys_identity_columns AS SELECT s.*, c.semente AS seed_value,
  c.incremento AS increment_value, zv_ultima_identidade(c.tabela) AS last_value,
  0 AS is_not_for_replication FROM zv_sys_columns s
  JOIN main.zv_colunas c ON c.tabela = s.object_id AND c.colid = s.column_id WHERE c.identidade;
CREATE TEMP VIEW zv_sys_all_objects AS SELECT * FROM zv_sys_objects;
CREATE TEMP VIEW zv_sys_all_columns AS SELECT * FROM zv_sys_columns;
CREATE TEMP VIEW zv_sys_sql_modules AS SELECT o.id AS object_id, o.texto AS definition,
  1 AS uses_ansi_nulls, 1 AS uses_quoted_identifier, 0 AS is_schema_bound,
  0 AS uses_database_collation, 0 AS is_recompiled, 0 AS null_on_null_input,
  NULL AS execute_as_principal_id FROM main.zv_objetos o WHERE o.tipo IN ('P', 'V', 'TR', 'FN', 'IF', 'TF');
CREATE TEMP VIEW zv_sys_schemas AS SELECT column1 COLLATE LATIN1_CI_AS AS name, column2 AS schema_id,
  column2 AS principal_id FROM (VALUES ('dbo', 1), ('guest', 2), ('INFORMATION_SCHEMA', 3),
  ('sys', 4), ('db_owner', 16384), ('db_accessadmin', 16385), ('db_securityadmin', 16386),
  ('db_ddladmin', 16387), ('db_backupoperator', 16389), ('db_datareader', 16390),
  ('db_datawriter', 16391), ('db_denydatareader', 16392), ('db_denydatawriter', 16393));
CREATE TEMP VIEW zv_is_schemata AS SELECT zv_db_name() COLLATE LATIN1_CI_AS AS CATALOG_NAME,
  name AS SCHEMA_NAME, name AS SCHEMA_OWNER, NULL AS DEFAULT_CHARACTER_SET_CATALOG,
  NULL AS DEFAULT_CHARACTER_SET_SCHEMA, 'iso_1' COLLATE LATIN1_CI_AS AS DEFAULT_CHARACTER_SET_NAME
  FROM zv_sys_schemas;
CREATE TEMP VIEW zv_is_table_constraints AS SELECT zv_db_name() COLLATE LATIN1_CI_AS AS CONSTRAINT_CATALOG,
  'dbo' COLLATE LATIN1_CI_AS AS CONSTRAINT_SCHEMA, r.nome AS CONSTRAINT_NAME,
  zv_db_name() COLLATE LATIN1_CI_AS AS TABLE_CATALOG, 'dbo' COLLATE LATIN1_CI_AS AS TABLE_SCHEMA,
  t.nome AS TABLE_NAME, (CASE r.tipo WHEN 'PK' THEN 'PRIMARY KEY' WHEN 'UQ' THEN 'UNIQUE'
    WHEN 'F' THEN 'FOREIGN KEY' ELSE 'CHECK' END) COLLATE LATIN1_CI_AS AS CONSTRAINT_TYPE,
  'NO' COLLATE LATIN1_CI_AS AS IS_DEFERRABLE, 'NO' COLLATE LATIN1_CI_AS AS INITIALLY_DEFERRED
  FROM main.zv_objetos r JOIN main.zv_objetos t ON t.id = r.pai WHERE r.tipo IN ('PK', 'UQ', 'F', 'C');
CREATE TEMP VIEW zv_is_key_column_usage AS SELECT zv_db_name() COLLATE LATIN1_CI_AS AS CONSTRAINT_CATALOG,
  'dbo' COLLATE LATIN1_CI_AS AS CONSTRAINT_SCHEMA, r.nome AS CONSTRAINT_NAME,
  zv_db_name() COLLATE LATIN1_CI_AS AS TABLE_CATALOG, 'dbo' COLLATE LATIN1_CI_AS AS TABLE_SCHEMA,
  t.nome AS TABLE_NAME, k.nome AS COLUMN_NAME, k.ordem AS ORDINAL_POSITION
  FROM zv_colunas_das_chaves k JOIN main.zv_objetos r ON r.id = k.restricao
  JOIN main.zv_objetos t ON t.id = k.tabela;
CREATE TEMP VIEW zv_is_constraint_column_usage AS SELECT zv_db_name() COLLATE LATIN1_CI_AS AS TABLE_CATALOG,
  'dbo' COLLATE LATIN1_CI_AS AS TABLE_SCHEMA, t.nome AS TABLE_NAME, k.nome AS COLUMN_NAME,
  zv_db_name() COLLATE LATIN1_CI_AS AS CONSTRAINT_CATALOG, 'dbo' COLLATE LATIN1_CI_AS AS CONSTRAINT_SCHEMA,
  r.nome AS CONSTRAINT_NAME FROM zv_colunas_das_chaves k JOIN main.zv_objetos r ON r.id = k.restricao
  JOIN main.zv_objetos t ON t.id = k.tabela
  UNION ALL SELECT zv_db_name() COLLATE LATIN1_CI_AS, 'dbo' COLLATE LATIN1_CI_AS, t.nome, c.nome,
  zv_db_name() COLLATE LATIN1_CI_AS, 'dbo' COLLATE LATIN1_CI_AS, r.nome FROM main.zv_objetos r
  JOIN main.zv_objetos t ON t.id = r.pai JOIN main.zv_colunas c ON c.tabela = r.pai
  WHERE r.tipo = 'C' AND zv_menciona(r.texto, c.nome);
CREATE TEMP VIEW zv_is_referential_constraints AS SELECT zv_db_name() COLLATE LATIN1_CI_AS AS CONSTRAINT_CATALOG,
  'dbo' COLLATE LATIN1_CI_AS AS CONSTRAINT_SCHEMA, r.nome AS CONSTRAINT_NAME,
  zv_db_name() COLLATE LATIN1_CI_AS AS UNIQUE_CONSTRAINT_CATALOG,
  'dbo' COLLATE LATIN1_CI_AS AS UNIQUE_CONSTRAINT_SCHEMA, i.nome AS UNIQUE_CONSTRAINT_NAME,
  'SIMPLE' COLLATE LATIN1_CI_AS AS MATCH_OPTION,
  coalesce(nullif(zv_acao_referencial(r.id, 'ao_atualizar'), ''), 'NO ACTION')
    COLLATE LATIN1_CI_AS AS UPDATE_RULE,
  coalesce(nullif(zv_acao_referencial(r.id, 'ao_excluir'), ''), 'NO ACTION')
    COLLATE LATIN1_CI_AS AS DELETE_RULE FROM main.zv_objetos r
  LEFT JOIN zv_indice_referido x ON x.restricao = r.id
  LEFT JOIN main.zv_indices i ON i.tabela = x.tabela AND i.indid = x.indid WHERE r.tipo = 'F';
CREATE TEMP VIEW zv_is_check_constraints AS SELECT zv_db_name() COLLATE LATIN1_CI_AS AS CONSTRAINT_CATALOG,
  'dbo' COLLATE LATIN1_CI_AS AS CONSTRAINT_SCHEMA, r.nome AS CONSTRAINT_NAME,
  r.texto COLLATE LATIN1_CI_AS AS CHECK_CLAUSE FROM main.zv_objetos r WHERE r.tipo = 'C';
CREATE TEMP VIEW zv_is_views AS SELECT zv_db_name() COLLATE LATIN1_CI_AS AS TABLE_CATALOG,
  'dbo' COLLATE LATIN1_CI_AS AS TABLE_SCHEMA, o.nome AS TABLE_NAME,
  substr(o.texto, 1, 4000) COLLATE LATIN1_CI_AS AS VIEW_DEFINITION,
  (CASE WHEN zv_menciona(o.texto, 'WITH CHECK OPTION') THEN 'CASCADE' ELSE 'NONE' END)
    COLLATE LATIN1_CI_AS AS CHECK_OPTION, 'NO' COLLATE LATIN1_CI_AS AS IS_UPDATABLE
  FROM main.zv_objetos o WHERE o.tipo = 'V';
CREATE TEMP VIEW zv_is_routines AS SELECT zv_db_name() COLLATE LATIN1_CI_AS AS SPECIFIC_CATALOG,
  'dbo' COLLATE LATIN1_CI_AS AS SPECIFIC_SCHEMA, o.nome AS SPECIFIC_NAME,
  zv_db_name() COLLATE LATIN1_CI_AS AS ROUTINE_CATALOG, 'dbo' COLLATE LATIN1_CI_AS AS ROUTINE_SCHEMA,
  o.nome AS ROUTINE_NAME,
  (CASE WHEN o.tipo = 'P' THEN 'PROCEDURE' ELSE 'FUNCTION' END) COLLATE LATIN1_CI_AS AS ROUTINE_TYPE,
  NULL AS MODULE_CATALOG, NULL AS MODULE_SCHEMA, NULL AS MODULE_NAME, NULL AS UDT_CATALOG,
  NULL AS UDT_SCHEMA, NULL AS UDT_NAME, f.tipo COLLATE LATIN1_CI_AS AS DATA_TYPE,
  (CASE WHEN f.xtype IN (167, 175, 231, 239, 165, 173) THEN f.tamanho
        WHEN f.xtype IN (35, 34) THEN 2147483647 WHEN f.xtype = 99 THEN 1073741823 END)
    AS CHARACTER_MAXIMUM_LENGTH,
  (CASE WHEN f.xtype IN (167, 175, 231, 239, 165, 173) THEN f.comprimento
        WHEN f.xtype IN (35, 34, 99) THEN 2147483647 END) AS CHARACTER_OCTET_LENGTH,
  NULL AS COLLATION_CATALOG, NULL AS COLLATION_SCHEMA,
  (CASE WHEN f.xtype IN (35, 99, 167, 175, 231, 239) THEN 'Latin1_General_CI_AS' END)
    COLLATE LATIN1_CI_AS AS COLLATION_NAME, NULL AS CHARACTER_SET_CATALOG, NULL AS CHARACTER_SET_SCHEMA,
  (CASE WHEN f.xtype IN (35, 167, 175) THEN 'iso_1' WHEN f.xtype IN (99, 231, 239) THEN 'UNICODE' END)
    COLLATE LATIN1_CI_AS AS CHARACTER_SET_NAME, f.prec_num AS NUMERIC_PRECISION,
  (CASE WHEN f.xtype IN (62, 59) THEN 2 WHEN f.prec_num IS NOT NULL THEN 10 END) AS NUMERIC_PRECISION_RADIX,
  f.escala_num AS NUMERIC_SCALE,
  (CASE WHEN f.xtype = 61 THEN 3 WHEN f.xtype = 58 THEN 0 END) AS DATETIME_PRECISION,
  NULL AS INTERVAL_TYPE, NULL AS INTERVAL_PRECISION, NULL AS TYPE_UDT_CATALOG, NULL AS TYPE_UDT_SCHEMA,
  NULL AS TYPE_UDT_NAME, NULL AS SCOPE_CATALOG, NULL AS SCOPE_SCHEMA, NULL AS SCOPE_NAME,
  NULL AS MAXIMUM_CARDINALITY, NULL AS DTD_IDENTIFIER, 'SQL' COLLATE LATIN1_CI_AS AS ROUTINE_BODY,
  substr(o.texto, 1, 4000) COLLATE LATIN1_CI_AS AS ROUTINE_DEFINITION, NULL AS EXTERNAL_NAME,
  NULL AS EXTERNAL_LANGUAGE, NULL AS PARAMETER_STYLE, 'NO' COLLATE LATIN1_CI_AS AS IS_DETERMINISTIC,
  (CASE WHEN o.tipo = 'P' THEN 'MODIFIES' ELSE 'READS' END) COLLATE LATIN1_CI_AS AS SQL_DATA_ACCESS,
  (CASE WHEN o.tipo = 'P' THEN NULL ELSE 'NO' END) COLLATE LATIN1_CI_AS AS IS_NULL_CALL,
  NULL AS SQL_PATH, 'YES' COLLATE LATIN1_CI_AS AS SCHEMA_LEVEL_ROUTINE,
  (CASE WHEN o.tipo = 'P' THEN -1 ELSE 0 END) AS MAX_DYNAMIC_RESULT_SETS,
  'NO' COLLATE LATIN1_CI_AS AS IS_USER_DEFINED_CAST, 'NO' COLLATE LATIN1_CI_AS AS IS_IMPLICITLY_INVOCABLE,
  zv_dt(o.criacao) AS CREATED, zv_dt(o.criacao) AS LAST_ALTERED FROM main.zv_objetos o
  LEFT JOIN (SELECT id, zv_retorno(texto, 'tipo') AS tipo, zv_retorno(texto, 'xtype') AS xtype,
    zv_retorno(texto, 'tamanho') AS tamanho, zv_retorno(texto, 'comprimento') AS comprimento,
    zv_retorno(texto, 'prec_num') AS prec_num, zv_retorno(texto, 'escala_num') AS escala_num
    FROM main.zv_objetos WHERE tipo IN ('FN', 'IF', 'TF')) f ON f.id = o.id
  WHERE o.tipo IN ('P', 'FN', 'IF', 'TF');
CREATE TEMP VIEW zv_parametros_dos_modulos AS SELECT o.id AS objeto, o.nome AS modulo,
  json_extract(p.value, '$.ordem') AS ordem, json_extract(p.value, '$.nome') AS nome,
  json_extract(p.value, '$.tipo') AS tipo, json_extract(p.value, '$.xtype') AS xtype,
  json_extract(p.value, '$.tamanho') AS tamanho, json_extract(p.value, '$.comprimento') AS comprimento,
  json_extract(p.value, '$.prec') AS prec, json_extract(p.value, '$.escala') AS escala,
  json_extract(p.value, '$.prec_num') AS prec_num, json_extract(p.value, '$.escala_num') AS escala_num,
  json_extract(p.value, '$.saida') AS saida
  FROM main.zv_objetos o, json_each(zv_parametros(o.texto)) p WHERE o.tipo IN ('P', 'FN', 'IF', 'TF');
CREATE TEMP VIEW zv_sys_parameters AS SELECT p.objeto AS object_id, p.nome COLLATE LATIN1_CI_AS AS name,
  p.ordem AS parameter_id, p.xtype AS system_type_id, p.xtype AS user_type_id,
  p.comprimento AS max_length,
  (CASE WHEN p.xtype IN (40, 41, 42, 48, 52, 56, 58, 59, 60, 61, 62, 104, 106, 108, 122, 127)
    THEN p.prec ELSE 0 END) AS precision,
  (CASE WHEN p.xtype IN (40, 41, 42, 48, 52, 56, 58, 59, 60, 61, 62, 104, 106, 108, 122, 127)
    THEN p.escala ELSE 0 END) AS scale,
  p.saida AS is_output, 0 AS is_cursor_ref, 0 AS has_default_value, 0 AS is_xml_document,
  NULL AS default_value, 0 AS xml_collection_id, 0 AS is_readonly, 1 AS is_nullable
  FROM zv_parametros_dos_modulos p;
CREATE TEMP VIEW zv_is_parameters AS SELECT zv_db_name() COLLATE LATIN1_CI_AS AS SPECIFIC_CATALOG,
  'dbo' COLLATE LATIN1_CI_AS AS SPECIFIC_SCHEMA, p.modulo AS SPECIFIC_NAME,
  p.ordem AS ORDINAL_POSITION,
  (CASE WHEN p.ordem = 0 THEN 'OUT' WHEN p.saida THEN 'INOUT' ELSE 'IN' END)
    COLLATE LATIN1_CI_AS AS PARAMETER_MODE,
  (CASE WHEN p.ordem = 0 THEN 'YES' ELSE 'NO' END) COLLATE LATIN1_CI_AS AS IS_RESULT,
  'NO' COLLATE LATIN1_CI_AS AS AS_LOCATOR, p.nome COLLATE LATIN1_CI_AS AS PARAMETER_NAME,
  p.tipo COLLATE LATIN1_CI_AS AS DATA_TYPE,
  (CASE WHEN p.xtype IN (167, 175, 231, 239, 165, 173) THEN p.tamanho
        WHEN p.xtype IN (35, 34) THEN 2147483647 WHEN p.xtype = 99 THEN 1073741823 END)
    AS CHARACTER_MAXIMUM_LENGTH,
  (CASE WHEN p.xtype IN (167, 175, 231, 239, 165, 173) THEN p.comprimento
        WHEN p.xtype IN (35, 34, 99) THEN 2147483647 END) AS CHARACTER_OCTET_LENGTH,
  NULL AS COLLATION_CATALOG, NULL AS COLLATION_SCHEMA,
  (CASE WHEN p.xtype IN (35, 99, 167, 175, 231, 239) THEN 'Latin1_General_CI_AS' END)
    COLLATE LATIN1_CI_AS AS COLLATION_NAME, NULL AS CHARACTER_SET_CATALOG,
  NULL AS CHARACTER_SET_SCHEMA,
  (CASE WHEN p.xtype IN (35, 167, 175) THEN 'iso_1' WHEN p.xtype IN (99, 231, 239) THEN 'UNICODE' END)
    COLLATE LATIN1_CI_AS AS CHARACTER_SET_NAME, p.prec_num AS NUMERIC_PRECISION,
  (CASE WHEN p.xtype IN (62, 59) THEN 2 WHEN p.prec_num IS NOT NULL THEN 10 END) AS NUMERIC_PRECISION_RADIX,
  p.escala_num AS NUMERIC_SCALE,
  (CASE WHEN p.xtype IN (40, 58) THEN 0 WHEN p.xtype = 61 THEN 3 WHEN p.xtype IN (41, 42, 43)
    THEN p.escala END) AS DATETIME_PRECISION,
  NULL AS INTERVAL_TYPE, NULL AS INTERVAL_PRECISION, NULL AS USER_DEFINED_TYPE_CATALOG,
  NULL AS USER_DEFINED_TYPE_SCHEMA, NULL AS USER_DEFINED_TYPE_NAME, NULL AS SCOPE_CATALOG,
  NULL AS SCOPE_SCHEMA, NULL AS SCOPE_NAME FROM zv_parametros_dos_modulos p;
)";

// The names of the views and tables a text of them makes.
std::set<std::string> NomesDasVisoes(const std::string& texto) {
    std::set<std::string> r;
    for (const char* inicio : {"CREATE TEMP VIEW ", "CREATE TEMP TABLE "})
        for (auto p = texto.find(inicio); p != std::string::npos; p = texto.find(inicio, p + 1)) {
            const auto q = p + std::strlen(inicio);
            r.insert(texto.substr(q, texto.find_first_of(" (", q) - q));
        }
    return r;
}

bool EhVisaoDoCatalogo(const std::string& nome) {
    static const std::set<std::string> nomes =
        NomesDasVisoes(std::string(kVisoes) + kVisoesDeChavesEModulos);
    return nomes.count(nome) > 0;
}

}  // namespace zolvek::simulador
