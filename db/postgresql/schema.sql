-- Zentry defect database: the fifteen tables (PostgreSQL).
-- Names (projects, users, groups, departments, lists) compare without
-- regard to case, as the client expects; so do the texts its searches match
-- with LIKE (summary, description, comments, full name), as in SQLite.
CREATE EXTENSION IF NOT EXISTS citext;

CREATE TABLE t_bug (
    BG_BUG_ID integer NOT NULL PRIMARY KEY,
    BG_STATUS varchar(40),
    PRJ_NAME citext,
    BG_SUMMARY citext,
    BG_SEVERITY varchar(40),
    BG_PRIORITY varchar(40),
    BG_RESPONSIBLE citext,
    BG_DETECTED_BY citext,
    BG_DETECTION_DATE varchar(30),
    BG_CLOSING_DATE varchar(30),
    BG_DETECTION_VERSION varchar(50),
    BG_CLOSING_VERSION varchar(50),
    BG_DESCRIPTION citext,
    BG_DEV_COMMENTS citext,
    BG_ATTACHMENT integer NOT NULL DEFAULT 0,
    BG_USER_01 varchar(255),
    BG_USER_02 varchar(255),
    BG_USER_03 varchar(255),
    BG_USER_04 varchar(255),
    BG_USER_05 varchar(255),
    BG_USER_06 varchar(255),
    BG_USER_07 varchar(255),
    BG_USER_08 varchar(255),
    BG_USER_09 varchar(255),
    BG_USER_10 varchar(255)
);
CREATE TABLE t_bug_status (
    BG_BUG_ID integer,
    BG_STATUS_DATE varchar(30),
    BG_STATUS_FROM varchar(40),
    BG_STATUS_TO varchar(40),
    BG_RESPONSIBLE citext
);
CREATE TABLE t_bug_attach (
    BG_BUG_ID integer,
    FILE_NAME varchar(255),
    FILE_TIME varchar(30),
    FILE_SIZE double precision,
    UPLOAD_USER citext,
    PRJ_NAME citext
);
CREATE TABLE t_prj (
    PRJ_NAME citext NOT NULL PRIMARY KEY,
    PRJ_TYPE varchar(50),
    PRJ_ENGLISH varchar(255),
    PRJ_CUSTOMER varchar(255),
    PRJ_MANAGER citext,
    DEV_ENV varchar(255),
    CONTRACT_NO varchar(100),
    PRJ_DESC text,
    PRJ_START_TIME varchar(30),
    PRJ_CUSTOM_FIELD text
);
CREATE TABLE t_user_prj (
    USER_NAME citext,
    PRJ_NAME citext
);
CREATE TABLE t_cfg_version (
    PRJ_NAME citext,
    VERSION_NO citext
);
CREATE TABLE t_cfg_param (
    PARAMETER_TYPE_ID citext,
    PARAMETER_NAME varchar(255),
    PARAMETER_ENABLE integer NOT NULL DEFAULT 1,
    PARAMETER_TYPE varchar(10) DEFAULT '0'
);
CREATE TABLE T_CFG_SEQ (
    SEQ_NAME citext NOT NULL PRIMARY KEY,
    SEQ_VALUE integer NOT NULL DEFAULT 0
);
CREATE TABLE T_BUG_TRANS_RULE (
    TR_RULES_FROM varchar(40),
    TR_RULES_TO varchar(40),
    COLUMN_NAME citext
);
CREATE TABLE t_cfg_sys_list (
    TABLE_NAME citext,
    COLUMN_NAME citext,
    USER_LABEL varchar(100),
    COLUMN_ORDER integer,
    IS_USED varchar(1) DEFAULT '1',
    IS_SYS varchar(1) DEFAULT '1',
    IS_VERIFY varchar(1) DEFAULT '0',
    REF_LIST varchar(100),
    EDIT_STYLE varchar(20),
    HEIGHT integer NOT NULL DEFAULT 0,
    WIDTH integer NOT NULL DEFAULT 0,
    LSIZE integer NOT NULL DEFAULT 0,
    UNIQUE (TABLE_NAME, COLUMN_NAME)
);
CREATE TABLE t_cfg_st_user (
    USER_NAME citext NOT NULL PRIMARY KEY,
    USER_PASSWD varchar(100),
    USER_FULLNAME citext,
    USER_MAIL varchar(255),
    USER_MOBILE varchar(50),
    USER_MSN varchar(255),
    USER_QQ varchar(50),
    USER_ADDR varchar(255),
    USER_PHONE varchar(50),
    DEPT_NAME citext,
    USER_FIELD_RIGHT varchar(64),
    USER_FIELD_QUERY varchar(64)
);
CREATE TABLE t_dept (
    DEPT_NAME citext NOT NULL PRIMARY KEY,
    DEPT_DESC varchar(255)
);
CREATE TABLE t_group (
    GROUP_NAME citext NOT NULL PRIMARY KEY,
    USER_FIELD_RIGHT varchar(64),
    USER_OWNER_RIGHT varchar(64)
);
CREATE TABLE t_user_group (
    USER_NAME citext,
    GROUP_NAME citext
);
CREATE TABLE t_alias (
    NAME citext,
    ALIAS varchar(255)
);

CREATE INDEX ix_t_bug_prj_name ON t_bug (PRJ_NAME);
CREATE INDEX ix_t_bug_bg_status ON t_bug (BG_STATUS);
CREATE INDEX ix_t_bug_status_bg_bug_id ON t_bug_status (BG_BUG_ID);
CREATE INDEX ix_t_bug_attach_bg_bug_id ON t_bug_attach (BG_BUG_ID);
CREATE INDEX ix_t_user_prj_user_name ON t_user_prj (USER_NAME);
CREATE INDEX ix_t_user_prj_prj_name ON t_user_prj (PRJ_NAME);
CREATE INDEX ix_t_cfg_version_prj_name ON t_cfg_version (PRJ_NAME);
CREATE INDEX ix_t_cfg_param_parameter_type_id ON t_cfg_param (PARAMETER_TYPE_ID);
CREATE INDEX ix_t_user_group_user_name ON t_user_group (USER_NAME);
CREATE INDEX ix_t_user_group_group_name ON t_user_group (GROUP_NAME);
